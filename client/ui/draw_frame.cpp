#include "client/ui/draw_frame.h"

#include <array>
#include <string>

#include "client/console/console.h"
#include "client/core/client.h"
#include "client/core/network_hooks.h"
#include "client/ui/button.h"
#include "client/ui/game_view.h"
#include "client/ui/menu_view.h"
#include "client/ui/picture_screens.h"
#include "client/ui/put_text.h"

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
      return mode == 19 || mode == 20 || mode == 21;
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
    case kStateNetLanManual:
    case kStateNetWeb:
    case kStateNetConnect:
    case kStateNet:
    case kStateNetFail:
    case kStateConnectionLost:
      DrawNetworkScreen(client);
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
  return state != kStateNet || CurrentNetMode(client) == 19;
}

}  // namespace

void DrawFadeOverlay(Image& screen, int level) {
  if (level <= 0) return;
  // The overlay is black, so each channel c becomes mix(c, 0, level); one
  // table per frame instead of a division per channel and pixel.
  std::array<uint8_t, 256> scaled;
  for (int c = 0; c < 256; ++c) scaled[c] = static_cast<uint8_t>(RedOf(MixColour(Rgb(c, 0, 0), 0, level)));
  for (int y = 0; y < screen.Height(); ++y) {
    Colour* row = screen.Row(y);
    for (int x = 0; x < screen.Width(); ++x) {
      Colour p = row[x];
      if (p == 0) continue;
      row[x] = Rgb(scaled[RedOf(p)], scaled[GreenOf(p)], scaled[BlueOf(p)]);
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

  ++frame.frameCount;
  int64_t now = client.clock.Now();
  if (now - frame.fpsTime >= 1000) {
    frame.fpsValue = frame.frameCount;
    frame.fpsTime = now;
    frame.frameCount = 0;
  }
}

}  // namespace kb
