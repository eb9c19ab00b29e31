#include "client/core/game_state.h"

#include "client/core/client.h"
#include "client/core/local_game.h"
#include "client/core/net_connection.h"
#include "client/core/network_hooks.h"
#include "client/core/state_steps.h"

namespace kb {

namespace {

bool IsLocalRoundState(int state) {
  return state == kStateStart || state == kStateGame || state == kStateEndRound;
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

void StepState(Client& client) {
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

}  // namespace kb
