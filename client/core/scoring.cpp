#include "client/core/scoring.h"

#include <algorithm>

#include "client/core/local_game.h"
#include "client/core/model.h"

namespace kb {

void AwardElimination(RoundState& round) {
  for (PlayerRecord& p : round.players)
    if (p.active && !p.dead) ++p.score;
  for (BotRecord& b : round.botList)
    if (!b.dead) ++b.score;
}

int GoalScore(const RoundState& round) { return 10 * (CountParticipants(round) - 1); }

namespace {

void ShowGameEnd(Model& model, Colour winner) {
  RoundState& round = model.round;
  round.scoreList.clear();
  for (int i = 0; i < kPlayerSlots; ++i)
    if (round.players[i].active)
      round.scoreList.push_back({round.players[i].score, round.playerColours[i], 0});
  for (const BotRecord& b : round.botList) round.scoreList.push_back({b.score, b.colour, 0});
  std::stable_sort(round.scoreList.begin(), round.scoreList.end(),
                   [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
  SetGameState(model, kStateEnd);
  round.winnerColour = winner;
  // The Space that started this is still held: the end screen waits for a new press.
  round.endSpaceLatch = 1;
  model.frame.escapeLatch = 1;
}

}  // namespace

void CheckGameEnd(Model& model) {
  RoundState& round = model.round;
  int goal = GoalScore(round);
  // When several reach the goal, the last in this order wins; the end screen
  // is entered once, so a tie does not fade twice.
  bool reached = false;
  Colour winner = 0;
  for (const BotRecord& b : round.botList)
    if (b.score >= goal) reached = true, winner = b.colour;
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = round.players[i];
    if (p.active && p.score >= goal) reached = true, winner = round.playerColours[i];
  }
  if (reached) ShowGameEnd(model, winner);
}

}  // namespace kb
