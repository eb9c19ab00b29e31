#pragma once

#include <string>

namespace kb {

class Font;
class Image;
struct FrameState;
struct Resources;
struct RoundState;
class PadInput;

inline constexpr char kMenuHelp[] =
    "Starten: Leertaste | Bots: Bild Hoch/Runter | Multiplayer: Enter | Vollbild: Strg + F";
inline constexpr char kNetChooseHelp[] = "Internet: F1 | LAN: F2 | Vollbild: Strg + F";

// The main menu: slots with check boxes, the two options and the bot count;
// returns the help line.
const char* DrawMenuScreen(Image& screen, Resources& res, const RoundState& round, const PadInput& pads);

// The credit line and the title banner.
void DrawTitleBanner(Image& screen, Resources& res);

// The help line, the version and the site link at the bottom (lit while the
// mouse is over it).
void DrawBottomBar(Image& screen, Font& font, const std::string& help, const FrameState& frame);

}  // namespace kb
