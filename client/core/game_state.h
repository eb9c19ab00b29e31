#pragma once

#include <cstdint>

namespace kb {

struct Model;

// The screen the client shows and the rules that apply; the numbers are part
// of the console's "mode" command.
enum GameStateValue : int {
  kStateMenu = 1,
  kStateStart = 2,
  kStateGame = 3,
  kStateEndRound = 4,
  kStateEnd = 5,
  kStateNetChoose = 11,
  kStateNetLan = 12,
  kStateNetLanManual = 13,
  kStateNetWeb = 14,
  kStateNetConnect = 15,
  kStateNet = 16,
  kStateNetFail = 17,
  kStateConnectionLost = 22,
  kStateWtf = 24,
  kStateEmpty = 25,
  kStateHell = 666,
};

// A change of screen that fades: six frames of the old screen darkening, then
// six of the new one brightening, kFadeFrameMs apart. The frame loop plays it
// (PlayStateChange) and runs nothing else meanwhile.
constexpr int kFadeFrameMs = 16;
struct StateChange {
  bool pending = false;
  int target = 0;
  int step = 0;  // the next frame: 0..5 darken, 6..11 brighten, 12 the end
  int64_t shownAt = 0;
};

// Changes the screen. Between screens (not among a round's, not into
// connecting) the change fades, unless noFade: the new state is then entered
// half way through the fade, when the frame loop has shown the old screen
// darkened. Leaving the network game closes its connection at once.
void SetGameState(Model& model, int newState, bool noFade = false);

// The fade's next step: sets the fade level, entering the new state half way.
// False once the fade is over (after a last frame's time).
bool AdvanceStateChange(Model& model);

// The step of the screen the client shows: its keys, clicks and rules.
void StepState(Model& model);

}  // namespace kb
