#include "client/ui/frame_loop.h"

#include <mutex>

#include "client/core/client.h"
#include "client/core/network_hooks.h"
#include "client/ui/draw_frame.h"
#include "client/ui/settings.h"

namespace kb {

bool RunFramePass(Client& client) {
  FrameState& frame = client.frame;
  frame.pacer.SetRefreshRate(client.display.RefreshRate());
  frame.drawThisPass = frame.pacer.Due(client.clock.Now(), frame.gameState);
  // A script's "exit" may have set quit between two passes.
  if (!frame.quit) UpdateFrame(client);
  // Asked again: a state change in this update is shown at once.
  if (!frame.quit && frame.pacer.Due(client.clock.Now(), frame.gameState)) DrawFrame(client);
  if (!frame.quit && client.display.TakeCloseRequest()) {
    if (frame.gameState == kStateNet) LeaveServer(client);
    frame.quit = true;
  }
  return !frame.quit;
}

void RunFrameLoop(Client& client) {
  for (;;) {
    {
      std::lock_guard lock(client.stateLock);
      if (!RunFramePass(client)) {
        if (client.frame.fatalError.empty()) SaveSettings(client);
        return;
      }
    }
    client.clock.Sleep(1);
  }
}

}  // namespace kb
