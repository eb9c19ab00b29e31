#include "client/app/frame_loop.h"

#include "client/app/client.h"
#include "client/app/display_mode.h"
#include "client/app/draw_frame.h"
#include "client/app/sound_output.h"
#include "client/console/console.h"
#include "client/console/script_runner.h"
#include "client/core/game_state.h"
#include "client/core/key_latch.h"
#include "client/core/net_connection.h"
#include "client/core/network_hooks.h"
#include "client/core/state_steps.h"
#include "client/ui/settings.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

// Ctrl+F switches once per press: holding the keys while the display is
// re-created must not flip it back and forth.
void FullScreenToggle(Client& client) {
  const Input& input = client.input;
  bool ctrl = input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl);
  if (EdgePressed(ctrl && input.KeyDown(scan::kF), client.fullScreenLatch)) SwitchDisplayMode(client);
}

// Passes one browser callback may catch up; more time missed (a hidden page)
// is skipped, as a stalled desktop loop skips it.
constexpr int kMaxCatchUpPasses = 100;

enum class Draw { kWhenDue, kNo, kYes };

bool RunPass(Client& client, Draw draw) {
  // What the last pass queued: a fading screen switches between passes.
  PlaySounds(client);
  if (PlayStateChange(client)) return !client.frame.quit;
  FrameState& frame = client.frame;
  client.pacer.SetRefreshRate(client.display.RefreshRate());
  auto due = [&] {
    return draw == Draw::kYes ||
           (draw == Draw::kWhenDue && client.pacer.Due(client.clock.Now(), frame.gameState));
  };
  frame.drawThisPass = due();
  if (!frame.quit) StepScripts(client.commands);
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

void UpdateFrame(Client& client) {
  FrameState& frame = client.frame;
  // The poll pumps the platform's events, mouse motion included: read the
  // position after it so a click and the move before it belong together.
  client.input.Poll();
  // A connection attempt or a server search goes on whatever the screen,
  // console or focus.
  PollConnecting(client);
  StepSearch(client.serverList);
  frame.mouseX = client.input.MouseX();
  frame.mouseY = client.input.MouseY();
  frame.hasKeyboard = client.config.fullScreenMode != 0 || client.display.HasFocus();
  HandleConsoleKeys(client.commands);
  // A phone's keyboard comes up while a field takes typing (the last pass's
  // screen: a change in this one is seen by the next).
  if (bool typing = TakesText(client); typing != client.textKeyboardShown) {
    client.textKeyboardShown = typing;
    client.display.ShowTextKeyboard(typing);
  }

  // One query of the left button per frame, so every target of this frame
  // sees the same press.
  frame.leftButton = client.input.AsyncKey(vk::kLeftButton);
  frame.newClick = frame.leftButton && !frame.clickLatch;
  frame.clickLatch = frame.leftButton ? 1 : 0;

  // An open console freezes everything but a network game; a full screen
  // without the focus freezes everything.
  bool consoleAllows = !client.consoleOpen || frame.gameState == kStateNet;
  bool screenActive = !client.config.fullScreenMode || client.display.HasFocus();
  if (!consoleAllows || !screenActive) return;

  FullScreenToggle(client);
  if (frame.quit) return;
  StepState(client);
  BannerStep(client);
}

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
      client.config.soundVolume = client.sound.volume;
      if (client.fatalError.empty()) {
        client.config.padIds.clear();
        for (const PlayerRecord& player : client.round.players) client.config.padIds.push_back(player.padId);
        SaveSettings(client.config, client.display);
      }
      return;
    }
    client.clock.Sleep(1);
  }
}

}  // namespace kb
