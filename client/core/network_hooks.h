#pragma once

namespace kb {

struct Model;
struct NetState;

// Where the frame loop, the menus and the buttons meet network play. The
// server list has its own seam (server_list_hooks.h).

// The last "MODE" value received from the server (0 when not connected).
int CurrentNetMode(const Model& model);

// The manual screen's address is valid and its port above 0.
bool ManualAddressUsable(const Model& model);

// The password prompt holds some text.
bool PasswordEntered(const Model& model);

// Connects from a screen to serverAddress/serverPort with serverLabel: clears
// the password and the pending key presses, starts the connection task and
// enters net_connect.
void ConnectFromScreen(Model& model);

// The step of the states net_lan_manual, net_connect and net; net_lan and
// net_web go to ServerListStep.
void NetworkStep(Model& model);

// The manual fields as entering the LAN list leaves them: empty address,
// port "666", focus on the address.
void ResetManualFields(NetState& net);

// Says goodbye to the server when the window closes during a network game.
void LeaveServer(Model& model);

}  // namespace kb
