#include "client/ui/draw_frame.h"

#include <algorithm>
#include <string>

#include "client/console/console.h"
#include "client/core/client.h"
#include "client/core/network_hooks.h"
#include "client/ui/button.h"
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

bool ShowsBottomBar(const Client& client, int state) {
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
      int mode = CurrentNetMode(client);
      return mode == kModePasswordRequired || mode == kModeWrongPassword || mode == kModeShutdown;
    }
    default:
      return false;
  }
}

void DrawStateScreen(Client& client, int state) {
  switch (state) {
    case kStateMenu:
      DrawMenuScreen(client);
      break;
    case kStateNetChoose:
      DrawNetChooseScreen(client);
      break;
    case kStateStart:
    case kStateGame:
    case kStateEndRound:
      DrawLocalGame(client);
      break;
    case kStateEnd:
      DrawFinalResult(client);
      break;
    case kStateNetLan:
    case kStateNetWeb:
      DrawServerListScreen(client);
      break;
    case kStateNetLanManual:
      DrawManualScreen(client);
      break;
    case kStateNet:
      DrawNetGame(client);
      break;
    case kStateNetConnect:
    case kStateNetFail:
    case kStateConnectionLost:
      DrawConnectStatus(client, state);
      break;
    case kStateWtf:
      DrawWtfScreen(client);
      break;
    case kStateHell:
      DrawHellScreen(client);
      break;
    default:
      break;
  }
}

void DrawScreenFrame(Image& screen) {
  screen.Line(0, 0, 800, 0, kWhite);
  screen.Line(0, 0, 0, 600, kWhite);
  screen.Line(799, 0, 799, 600, kWhite);
  screen.Line(0, 599, 800, 599, kWhite);
}

bool PointerShown(const Client& client, int state) {
  if (!client.config.fullScreenMode) return false;
  if (state == kStateStart || state == kStateGame || state == kStateEndRound) return false;
  return state != kStateNet || CurrentNetMode(client) == kModePasswordRequired;
}

}  // namespace

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

void DrawFrame(Client& client) {
  FrameState& frame = client.frame;
  Image& screen = client.screen;
  Resources& res = client.resources;
  if (!client.config.fullScreenMode) {
    frame.mouseX = client.input.MouseX();
    frame.mouseY = client.input.MouseY();
  }
  int state = frame.gameState;
  screen.SetXorMode(false);
  screen.Clear(0);

  if (!client.config.fullScreenMode || client.display.HasFocus()) {
    DrawStateScreen(client, state);
    screen.SetXorMode(false);
    for (const TextObject& object : client.textObjects)
      PutText(screen, res.fontNormal, object.x, object.y, object.text, object.colour);

    DrawButtons(client);
    DrawFadeOverlay(screen, frame.fadeLevel);

    bool banner = ShowsTitleBanner(state);
    if (banner) DrawTitleBanner(client);
    if (ShowsBottomBar(client, state)) DrawBottomBar(client);
    if (banner) screen.DrawBlended(res.bannerGlowSprite, 0, 25, frame.bannerGlow);

    DrawConsole(client);
    screen.SetXorMode(false);
    if (frame.devMode) {
      std::string fps = std::to_string(frame.fpsValue) + " fps";
      res.fontTiny.DrawOpaque(screen, 797 - res.fontTiny.TextWidth(fps), 2, fps, kWhite, 0);
    }
    DrawScreenFrame(screen);
  }

  if (PointerShown(client, state)) screen.DrawKeyed(res.cursorSprite, frame.mouseX, frame.mouseY, kMagenta);
  client.display.Present(screen);
  int64_t now = client.clock.Now();
  frame.pacer.Presented(now, state);

  ++frame.frameCount;
  if (now - frame.fpsTime >= 1000) {
    frame.fpsValue = frame.frameCount;
    frame.fpsTime = now;
    frame.frameCount = 0;
  }
}

}  // namespace kb
