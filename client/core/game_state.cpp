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

// Each fade frame stays on screen for about one display refresh, so the fade
// is seen: the frame loop itself runs without vsync.
constexpr int kFadeFrameMs = 16;

void DrawFadeFrame(Client& client) {
  DrawFrame(client);
  client.clock.Sleep(kFadeFrameMs);
}

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

}  // namespace

void SetGameState(Client& client, int newState, bool noFade) {
  FrameState& frame = client.frame;
  // Whatever way the client leaves the network game, its connection goes.
  if (newState != kStateNet) CloseServerLink(client.net);
  if (newState == kStateMenu) {
    client.round.botCount = 0;
    client.round.botList.clear();
  }
  if (!IsLocalRoundState(frame.gameState) && newState != kStateNetConnect) {
    for (int level = 0; level <= 250; level += 50) {
      frame.fadeLevel = level;
      if (!noFade) DrawFadeFrame(client);
    }
  }
  client.textObjects.clear();
  frame.gameState = newState;
  if (frame.fadeLevel > 200) {
    // Ends at 5, not 0: the overlay stays faintly on until the next fade.
    for (int i = 0; i <= 250; i += 50) {
      frame.fadeLevel = 255 - i;
      if (!noFade) DrawFadeFrame(client);
    }
  }
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
