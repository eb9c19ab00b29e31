#pragma once

namespace kb {

struct Client;

// Where the frame loop, the menus and the buttons meet network play. The
// bodies in network_hooks.cpp are placeholders until network play lands; its
// owner replaces that file.

// The last "MODE" value received from the server (0 when not connected).
int CurrentNetMode(const Client& client);

// Entries of the server list, -1 while a search or fetch is running.
int ServerCount(const Client& client);

// The manual screen's address is valid and its port above 0.
bool ManualAddressUsable(const Client& client);

// The password prompt holds some text.
bool PasswordEntered(const Client& client);

// Starts the Internet list fetch for state net_web.
void StartInternetListFetch(Client& client);

// Starts the LAN search and resets the manual address fields for net_lan.
void StartLanSearch(Client& client);

// The step of the states net_lan, net_lan_manual, net_web, net_connect and net.
void NetworkStep(Client& client);

// Draws the screens net_lan, net_lan_manual, net_web, net_connect, net,
// net_fail and the lost-connection screen.
void DrawNetworkScreen(Client& client);

// Says goodbye to the server when the window closes during a network game.
void LeaveServer(Client& client);

}  // namespace kb
