#include "client/ui/frame_loop.h"

#include <mutex>

#include "client/core/client.h"
#include "client/core/network_hooks.h"
#include "client/ui/draw_frame.h"
#include "client/ui/settings.h"

namespace kb {

void RunFrameLoop(Client& client) {
  FrameState& frame = client.frame;
  for (;;) {
    {
      std::lock_guard lock(client.stateLock);
      // A script's "exit" may have set quit between two frames.
      if (!frame.quit) UpdateFrame(client);
      if (!frame.quit) DrawFrame(client);
      if (!frame.quit && client.display.TakeCloseRequest()) {
        if (frame.gameState == kStateNet) LeaveServer(client);
        frame.quit = true;
      }
      if (frame.quit) {
        if (frame.fatalError.empty()) SaveSettings(client);
        return;
      }
    }
    client.clock.Sleep(1);
  }
}

}  // namespace kb
