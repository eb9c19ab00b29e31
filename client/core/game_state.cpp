#include "client/core/game_state.h"

#include "client/console/console.h"
#include "client/core/client.h"
#include "client/core/key_latch.h"
#include "client/core/local_game.h"
#include "client/core/net_connection.h"
#include "client/core/network_hooks.h"
#include "client/core/state_steps.h"
#include "client/ui/display_mode.h"
#include "client/ui/draw_frame.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

bool IsLocalRoundState(int state) {
  return state == kStateStart || state == kStateGame || state == kStateEndRound;
}

// Ctrl+F switches once per press: holding the keys while the display is
// re-created must not flip it back and forth.
void FullScreenToggle(Client& client) {
  const Input& input = client.input;
  bool ctrl = input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl);
  if (EdgePressed(ctrl && input.KeyDown(scan::kF), client.frame.fullScreenLatch)) SwitchDisplayMode(client);
}

void StateStep(Client& client) {
  switch (client.frame.gameState) {
    case kStateMenu:
      MenuStep(client);
      break;
    case kStateStart:
    case kStateGame:
    case kStateEndRound:
    case kStateEnd:
      LocalGameStep(client);
      break;
    case kStateNetChoose:
      NetChooseStep(client);
      break;
    case kStateNetLan:
    case kStateNetLanManual:
    case kStateNetWeb:
    case kStateNetConnect:
    case kStateNet:
      NetworkStep(client);
      break;
    case kStateNetFail:
    case kStateConnectionLost:
      NetFailStep(client);
      break;
    case kStateWtf:
    case kStateEmpty:
    case kStateHell:
      PictureScreenStep(client);
      break;
    default:
      break;
  }
}

void SwitchTo(Client& client, int state) {
  client.textObjects.clear();
  client.frame.gameState = state;
}

// The new screen's timers run from when it shows.
void Shown(Client& client) {
  if (client.frame.gameState == kStateStart) client.round.roundStartTime = client.clock.Now();
}

}  // namespace

void SetGameState(Client& client, int newState, bool noFade) {
  FrameState& frame = client.frame;
  // A change still fading ends at once: the newest wins the screen.
  if (frame.stateChange.pending) {
    frame.stateChange.pending = false;
    frame.fadeLevel = 5;
    SwitchTo(client, frame.stateChange.target);
    Shown(client);
  }
  // Whatever way the client leaves the network game, its connection goes.
  if (newState != kStateNet) CloseServerLink(client.net.session);
  if (newState == kStateMenu) {
    client.round.botCount = 0;
    client.round.botList.clear();
  }
  bool darken = !IsLocalRoundState(frame.gameState) && newState != kStateNetConnect;
  if (darken) frame.fadeLevel = 250;
  // Ends at 5, not 0: the overlay stays faintly on until the next fade.
  bool brighten = frame.fadeLevel > 200;
  if (noFade || !brighten) {
    if (brighten) frame.fadeLevel = 5;
    SwitchTo(client, newState);
    Shown(client);
    return;
  }
  frame.fadeLevel = 0;
  frame.stateChange = {.pending = true, .target = newState, .step = darken ? 0 : 6};
}

bool AdvanceStateChange(Client& client) {
  FrameState& frame = client.frame;
  StateChange& change = frame.stateChange;
  if (!change.pending) return false;
  int step = change.step++;
  if (step == 12) {
    change.pending = false;
    Shown(client);
    return false;
  }
  if (step == 6) SwitchTo(client, change.target);
  frame.fadeLevel = step < 6 ? step * 50 : 255 - (step - 6) * 50;
  return true;
}

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
  HandleConsoleKeys(client);

  // One query of the left button per frame, so every target of this frame
  // sees the same press.
  frame.leftButton = client.input.AsyncKey(vk::kLeftButton);
  frame.newClick = frame.leftButton && !frame.clickLatch;
  frame.clickLatch = frame.leftButton ? 1 : 0;

  // An open console freezes everything but a network game; a full screen
  // without the focus freezes everything.
  bool consoleAllows = !client.console.isOpen || frame.gameState == kStateNet;
  bool screenActive = !client.config.fullScreenMode || client.display.HasFocus();
  if (!consoleAllows || !screenActive) return;

  FullScreenToggle(client);
  if (frame.quit) return;
  StateStep(client);
  BannerStep(client);
}

}  // namespace kb
