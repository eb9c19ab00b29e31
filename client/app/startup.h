#pragma once

#include <string>

namespace kb {

struct Client;
struct RoundState;

// Everything between the platform's initialisation and the first frame:
// settings, display, fonts, pictures, sprites, tables, buttons, console
// commands, the welcome line and the start-up script. Returns the text of
// the failure message (title "Fehler"), empty when the game can run.
std::string StartClient(Client& client);

// The eight local slots' colours, key labels and keys; no slot active.
void InitPlayerTable(RoundState& round);

}  // namespace kb
