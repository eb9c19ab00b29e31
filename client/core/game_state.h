#pragma once

namespace kb {

struct Client;

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

// Changes the screen with the fade-out and fade-in frames (none when noFade).
void SetGameState(Client& client, int newState, bool noFade = false);

// One frame's input and logic.
void UpdateFrame(Client& client);

}  // namespace kb
