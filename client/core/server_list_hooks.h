#pragma once

namespace kb {

struct Model;

// Where the menus and the network screens meet the server list that the LAN
// search and the Internet list fetch fill.

// Starts the Internet list fetch for state net_web.
void StartInternetListFetch(Model& model);

// Starts the LAN search for net_lan.
void StartLanSearch(Model& model);

// The step of the list states net_lan and net_web: F5, the selection, Enter
// and the "Verbinden" buttons (through ConnectFromScreen), F1 "Manuell" and
// Escape.
void ServerListStep(Model& model);

}  // namespace kb
