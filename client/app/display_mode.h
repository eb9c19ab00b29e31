#pragma once

namespace kb {

struct Client;

// The message of every display that cannot be opened (title "Fehler").
inline constexpr char kWindowError[] =
    "Es konnte kein Fenster ge\xF6"
    "ffnet werden.";

// Closes the display and opens the other one (the window at the configured
// position, or the full screen), rebuilds sprites and button captions and
// flips fullScreenMode. When it cannot be opened the program ends without
// saving: fatalError is set and the loop stops.
void SwitchDisplayMode(Client& client);

}  // namespace kb
