#include "client/ui/draw_screen.h"

#include <algorithm>
#include <string>

#include "client/console/console.h"
#include "client/core/network_hooks.h"
#include "client/ui/console_view.h"
#include "client/ui/game_view.h"
#include "client/ui/menu_view.h"
#include "client/ui/net_view.h"
#include "client/ui/picture_screens.h"
#include "client/ui/put_text.h"
#include "client/ui/server_list_view.h"
#include "common/net/protocol.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;

bool ShowsTitleBanner(int state) {
  return state == kStateMenu || state == kStateNetChoose || state == kStateNetLan ||
         state == kStateNetLanManual || state == kStateNetWeb || state == kStateWtf || state == kStateHell;
}

bool ShowsBottomBar(const Model& model, int state) {
  switch (state) {
    case kStateMenu:
    case kStateNetChoose:
    case kStateNetLan:
    case kStateNetLanManual:
    case kStateNetWeb:
    case kStateNetConnect:
    case kStateNetFail:
    case kStateConnectionLost:
      return true;
    case kStateNet: {
      int mode = CurrentNetMode(model);
      return mode == kModePasswordRequired || mode == kModeWrongPassword || mode == kModeShutdown;
    }
    default:
      return false;
  }
}

// The screen of the state, with its help line for the bottom bar.
const char* DrawStateScreen(Image& screen, Resources& res, Model& model, int state) {
  switch (state) {
    case kStateMenu:
      return DrawMenuScreen(screen, res, model.round, model.input);
    case kStateNetChoose:
      return kNetChooseHelp;
    case kStateStart:
    case kStateGame:
    case kStateEndRound:
      DrawLocalGame(screen, res, model.round, model.frame, model.clock.Now());
      return nullptr;
    case kStateEnd:
      DrawFinalResult(screen, res, model.round);
      return nullptr;
    case kStateNetLan:
    case kStateNetWeb:
      return DrawServerListScreen(screen, res, model.serverList, state == kStateNetLan);
    case kStateNetLanManual:
      return DrawManualScreen(screen, res, model.net);
    case kStateNet:
      return DrawNetGame(screen, res, model);
    case kStateNetConnect:
    case kStateNetFail:
    case kStateConnectionLost:
      return DrawConnectStatus(screen, res, model.serverLabel, state);
    case kStateWtf:
      DrawWtfScreen(screen, res);
      return nullptr;
    case kStateHell:
      DrawHellScreen(screen, res);
      return nullptr;
    default:
      return nullptr;
  }
}

void DrawScreenFrame(Image& screen) {
  screen.Line(0, 0, 800, 0, kWhite);
  screen.Line(0, 0, 0, 600, kWhite);
  screen.Line(799, 0, 799, 600, kWhite);
  screen.Line(0, 599, 800, 599, kWhite);
}

}  // namespace

bool PointerShown(const Model& model, bool fullScreen, int state) {
  if (!fullScreen) return false;
  if (state == kStateStart || state == kStateGame || state == kStateEndRound) return false;
  return state != kStateNet || CurrentNetMode(model) == kModePasswordRequired;
}

void DrawFadeOverlay(Image& screen, int level) {
  if (level <= 0) return;
  if (level >= 255) return screen.Clear(0);
  // The overlay is black, so every channel byte c becomes round(c * k / 255)
  // with k = 255 - level, the same as a blended black sprite;
  // (t + (t >> 8)) >> 8 with t = c * k + 128 is that division, exact for
  // products of two bytes, and works on bytes so the loop vectorises.
  const unsigned k = 255 - level;
  for (int y = 0; y < screen.Height(); ++y) {
    Colour* row = screen.Row(y);
    const int width = screen.Width();
    // Runs of 16 black pixels stay black: most of a menu frame is black.
    for (int x0 = 0; x0 < width; x0 += 16) {
      const int x1 = std::min(x0 + 16, width);
      Colour any = 0;
      for (int x = x0; x < x1; ++x) any |= row[x];
      if (!any) continue;
      uint8_t* bytes = reinterpret_cast<uint8_t*>(row + x0);
      for (int i = 0; i < (x1 - x0) * 4; ++i) {
        uint16_t t = static_cast<uint16_t>(bytes[i] * k + 128);
        bytes[i] = static_cast<uint8_t>((t + (t >> 8)) >> 8);
      }
    }
  }
}

void DrawScreen(Image& screen, Resources& res, Model& model, std::vector<MenuButton>& buttons,
                ConsoleState& console, int fps) {
  const FrameState& frame = model.frame;
  int state = frame.gameState;
  const char* help = DrawStateScreen(screen, res, model, state);
  screen.SetXorMode(false);
  for (const TextObject& object : model.textObjects)
    PutText(screen, res.fontNormal, object.x, object.y, object.text, object.colour);

  DrawButtons(screen, res, buttons, model);
  DrawFadeOverlay(screen, frame.fadeLevel);

  bool banner = ShowsTitleBanner(state);
  if (banner) DrawTitleBanner(screen, res);
  if (ShowsBottomBar(model, state)) DrawBottomBar(screen, res.fontNormal, help ? help : "", frame);
  if (banner) screen.DrawBlended(res.bannerGlowSprite, 0, 25, frame.bannerGlow);

  DrawConsole(screen, res.fontNormal, console, model);
  screen.SetXorMode(false);
  if (frame.devMode) {
    std::string text = std::to_string(fps) + " fps";
    res.fontTiny.DrawOpaque(screen, 797 - res.fontTiny.TextWidth(text), 2, text, kWhite, 0);
  }
  DrawScreenFrame(screen);
}

}  // namespace kb
