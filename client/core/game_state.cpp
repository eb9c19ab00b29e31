#include "client/core/game_state.h"

#include "client/core/local_game.h"
#include "client/core/model.h"
#include "client/core/net_connection.h"
#include "client/core/network_hooks.h"
#include "client/core/state_steps.h"

namespace kb {

namespace {

bool IsLocalRoundState(int state) {
  return state == kStateStart || state == kStateGame || state == kStateEndRound;
}

void SwitchTo(Model& model, int state) {
  model.textObjects.clear();
  model.frame.gameState = state;
  QueueScreenSound(model.sound, state);
}

// The new screen's timers run from when it shows.
void Shown(Model& model) {
  if (model.frame.gameState == kStateStart) model.round.roundStartTime = model.clock.Now();
}

}  // namespace

void SetGameState(Model& model, int newState, bool noFade) {
  FrameState& frame = model.frame;
  // A change still fading ends at once: the newest wins the screen.
  if (frame.stateChange.pending) {
    frame.stateChange.pending = false;
    frame.fadeLevel = 5;
    SwitchTo(model, frame.stateChange.target);
    Shown(model);
  }
  // Whatever way the client leaves the network game, its connection goes.
  if (newState != kStateNet) CloseServerLink(model.net.session);
  if (newState == kStateMenu) {
    model.round.botCount = 0;
    model.round.botList.clear();
  }
  bool darken = !IsLocalRoundState(frame.gameState) && newState != kStateNetConnect;
  if (darken) frame.fadeLevel = 250;
  // Ends at 5, not 0: the overlay stays faintly on until the next fade.
  bool brighten = frame.fadeLevel > 200;
  if (noFade || !brighten) {
    if (brighten) frame.fadeLevel = 5;
    SwitchTo(model, newState);
    Shown(model);
    return;
  }
  frame.fadeLevel = 0;
  frame.stateChange = {.pending = true, .target = newState, .step = darken ? 0 : 6};
}

bool AdvanceStateChange(Model& model) {
  FrameState& frame = model.frame;
  StateChange& change = frame.stateChange;
  if (!change.pending) return false;
  int step = change.step++;
  if (step == 12) {
    change.pending = false;
    Shown(model);
    return false;
  }
  if (step == 6) SwitchTo(model, change.target);
  frame.fadeLevel = step < 6 ? step * 50 : 255 - (step - 6) * 50;
  return true;
}

void StepState(Model& model) {
  switch (model.frame.gameState) {
    case kStateMenu:
      MenuStep(model);
      break;
    case kStateStart:
    case kStateGame:
    case kStateEndRound:
    case kStateEnd:
      LocalGameStep(model);
      break;
    case kStateNetChoose:
      NetChooseStep(model);
      break;
    case kStateNetLan:
    case kStateNetLanManual:
    case kStateNetWeb:
    case kStateNetConnect:
    case kStateNet:
      NetworkStep(model);
      break;
    case kStateNetFail:
    case kStateConnectionLost:
      NetFailStep(model);
      break;
    case kStateWtf:
    case kStateEmpty:
    case kStateHell:
      PictureScreenStep(model);
      break;
    default:
      break;
  }
}

}  // namespace kb
