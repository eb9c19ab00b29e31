#include "client/app/draw_frame.h"

#include "client/app/client.h"
#include "client/ui/draw_screen.h"

namespace kb {

void DrawFrame(Client& client) {
  FrameState& frame = client.frame;
  Image& screen = client.screen;
  bool fullScreen = client.config.fullScreenMode != 0;
  if (!fullScreen) {
    frame.mouseX = client.input.MouseX();
    frame.mouseY = client.input.MouseY();
  }
  int state = frame.gameState;
  screen.SetXorMode(false);
  screen.Clear(0);
  // A full screen without the focus shows black.
  if (!fullScreen || client.display.HasFocus())
    DrawScreen(screen, client.resources, client, client.menuButtons, client.console, client.fpsValue);
  if (PointerShown(client, fullScreen, state))
    screen.DrawKeyed(client.resources.cursorSprite, frame.mouseX, frame.mouseY, kMagenta);
  client.display.Present(screen);

  int64_t now = client.clock.Now();
  client.pacer.Presented(now, state);
  ++client.frameCount;
  if (now - client.fpsTime >= 1000) {
    client.fpsValue = client.frameCount;
    client.fpsTime = now;
    client.frameCount = 0;
  }
}

}  // namespace kb
