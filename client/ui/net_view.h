#pragma once

#include <string>

namespace kb {

struct Model;
struct NetState;
struct Resources;
class Image;

inline constexpr char kManualHelp[] = "Feld wechseln: Hoch/Runter | Verbinden: Enter | Vollbild: Strg + F";
inline constexpr char kConnectHelp[] = "Abbrechen: Escape | Vollbild: Strg + F";
inline constexpr char kBackHelp[] =
    "Zur\xFC"
    "ck: Enter/Leertaste/Escape | Vollbild: Strg + F";
inline constexpr char kPasswordHelp[] = "Verbinden: Enter | Abbrechen: Escape | Vollbild: Strg + F";

// Each screen returns the help line of its bottom bar, if it has one.

// The manual connection screen's fields (the banner and buttons come from DrawScreen).
const char* DrawManualScreen(Image& screen, Resources& res, const NetState& net);

// net_connect, net_fail and the lost connection: status bar and one line.
const char* DrawConnectStatus(Image& screen, Resources& res, const std::string& serverLabel, int state);

// The network game: the server's trails, the NetMode text, scores, own
// colour, chat (its caret blinks) and the pause notice.
const char* DrawNetGame(Image& screen, Resources& res, Model& model);

// CountdownMs in whole seconds, rounded up.
int CountdownSeconds(int ms);

}  // namespace kb
