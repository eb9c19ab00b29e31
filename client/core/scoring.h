#pragma once

namespace kb {

struct Client;
struct RoundState;

// One point for every participant still alive; called right after a
// participant was marked dead.
void AwardElimination(RoundState& round);

// 10 points per opponent.
int GoalScore(const Client& client);

// After the next round was placed: if somebody reached the goal, fills the
// score list and shows the end screen. Bots are checked before the slots and
// the last one found is the winner shown.
void CheckGameEnd(Client& client);

}  // namespace kb
