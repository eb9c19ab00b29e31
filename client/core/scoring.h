#pragma once

namespace kb {

struct Model;
struct RoundState;

// One point for every participant still alive; called right after a
// participant was marked dead.
void AwardElimination(RoundState& round);

// 10 points per opponent.
int GoalScore(const RoundState& round);

// After the next round was placed: if somebody reached the goal, fills the
// score list and shows the end screen. Bots are checked before the slots and
// the last one found is the winner shown.
void CheckGameEnd(Model& model);

}  // namespace kb
