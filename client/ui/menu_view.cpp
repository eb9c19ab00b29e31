#include "client/ui/menu_view.h"

#include <string>

#include "client/console/console.h"
#include "client/core/model.h"
#include "client/core/mouse.h"
#include "client/core/site.h"
#include "client/ui/put_text.h"
#include "client/ui/resources.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;

// A 20 x 20 check box with its top-left corner at (x, y) and, when ticked, a
// cross in the given colour.
void CheckBox(Image& screen, int x, int y, bool ticked, Colour cross) {
  screen.FillBox(x, y, 20, 20, kWhite);
  screen.FillBox(x + 1, y + 1, 18, 18, 0);
  if (!ticked) return;
  screen.Line(x + 1, y + 1, x + 18, y + 18, cross);
  screen.Line(x + 1, y + 18, x + 18, y + 1, cross);
}

}  // namespace

const char* DrawMenuScreen(Image& screen, Resources& res, const RoundState& round, const PadInput& pads) {
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& player = round.players[i];
    Colour colour = round.playerColours[i];
    std::string text = "Player " + std::to_string(i + 1) + " - " + player.keyLabel;
    if (pads.SlotPadConnected(i)) text += " + Pad";
    PutText(screen, res.fontLarge, 225, 130 + 40 * i, text, colour);
    CheckBox(screen, 195, 135 + 40 * i, player.active != 0, colour);
  }
  CheckBox(screen, 195, 456, round.confusionOption != 0, kWhite);
  PutText(screen, res.fontLarge, 225, 450, "Verwirrung", kWhite);
  CheckBox(screen, 395, 456, round.upgradesOption != 0, kWhite);
  PutText(screen, res.fontLarge, 425, 450, "Upgrades", kWhite);
  PutText(screen, res.fontNormal, 225, 480, "Bots: " + std::to_string(round.botCount), kWhite);
  return kMenuHelp;
}

void DrawTitleBanner(Image& screen, Resources& res) {
  PutText(screen, res.fontTiny, 3, 2, kCreditText, kWhite);
  screen.Draw(res.titleBanner, 0, 25);
}

void DrawBottomBar(Image& screen, Font& font, const std::string& help, const FrameState& frame) {
  PutText(screen, font, 400 - font.TextWidth(help) / 2, 597 - font.TextHeight(help), help, kWhite);
  PutText(screen, font, 5, 597 - font.TextHeight(kVersionText), kVersionText, kWhite);
  // The hover area stays 700..800 x 580..600 whatever the name's width.
  Colour link = MouseInRect(frame, 700, 580, 100, 20) ? Rgb(0, 255, 0) : Rgb(0, 204, 0);
  int width = font.TextWidth(kSiteName);
  PutText(screen, font, 795 - width, 597 - font.TextHeight(kSiteName), kSiteName, link);
  screen.Line(795 - width, 595, 795, 595, link);
}

}  // namespace kb
