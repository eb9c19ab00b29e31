#include "client/ui/frame_loop.h"

#include "client/console/script_runner.h"
#include "client/core/client.h"
#include "client/core/network_hooks.h"
#include "client/ui/draw_frame.h"
#include "client/ui/settings.h"

namespace kb {

namespace {

// Passes one browser callback may catch up; more time missed (a hidden page)
// is skipped, as a stalled desktop loop skips it.
constexpr int kMaxCatchUpPasses = 100;

enum class Draw { kWhenDue, kNo, kYes };

bool RunPass(Client& client, Draw draw) {
  if (PlayStateChange(client)) return !client.frame.quit;
  FrameState& frame = client.frame;
  frame.pacer.SetRefreshRate(client.display.RefreshRate());
  auto due = [&] {
    return draw == Draw::kYes ||
           (draw == Draw::kWhenDue && frame.pacer.Due(client.clock.Now(), frame.gameState));
  };
  frame.drawThisPass = due();
  if (!frame.quit) StepScripts(client);
  // A script's "exit" ends the loop before anything else moves.
  if (!frame.quit) UpdateFrame(client);
  // Asked again: a state change in this update is shown at once, faded or not.
  if (!frame.quit && !PlayStateChange(client) && due()) DrawFrame(client);
  if (!frame.quit && client.display.TakeCloseRequest()) {
    if (frame.gameState == kStateNet) LeaveServer(client);
    frame.quit = true;
  }
  return !frame.quit;
}

}  // namespace

bool PlayStateChange(Client& client) {
  StateChange& change = client.frame.stateChange;
  if (!change.pending) return false;
  int64_t now = client.clock.Now();
  if (change.step > 0 && now - change.shownAt < kFadeFrameMs) return true;
  if (AdvanceStateChange(client)) {
    DrawFrame(client);
    change.shownAt = now;
  }
  return true;
}

bool RunFramePass(Client& client) { return RunPass(client, Draw::kWhenDue); }

bool RunSteppedPasses(Client& client, SteppedClock& clock) {
  for (int n = clock.Lag(kMaxCatchUpPasses); n > 0; --n) {
    if (!RunPass(client, n == 1 ? Draw::kYes : Draw::kNo)) return false;
    clock.Step();
  }
  return !client.frame.quit;
}

void RunFrameLoop(Client& client) {
  for (;;) {
    if (!RunFramePass(client)) {
      if (client.frame.fatalError.empty()) SaveSettings(client);
      return;
    }
    client.clock.Sleep(1);
  }
}

}  // namespace kb
