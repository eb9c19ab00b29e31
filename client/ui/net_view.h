#pragma once

namespace kb {

struct Client;

inline constexpr char kManualHelp[] = "Feld wechseln: Hoch/Runter | Verbinden: Enter | Vollbild: Strg + F";
inline constexpr char kConnectHelp[] = "Abbrechen: Escape | Vollbild: Strg + F";
inline constexpr char kBackHelp[] =
    "Zur\xFC"
    "ck: Enter/Leertaste/Escape | Vollbild: Strg + F";
inline constexpr char kPasswordHelp[] = "Verbinden: Enter | Abbrechen: Escape | Vollbild: Strg + F";

// The manual connection screen's fields (the banner and buttons come from DrawFrame).
void DrawManualScreen(Client& client);

// net_connect, net_fail and the lost connection: status bar and one line.
void DrawConnectStatus(Client& client, int state);

// The network game: the server's trails, the NetMode text, scores, own
// colour, chat and the pause notice.
void DrawNetGame(Client& client);

// CountdownMs in whole seconds, rounded up.
int CountdownSeconds(int ms);

}  // namespace kb
