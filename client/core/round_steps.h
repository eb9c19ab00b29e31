#pragma once

namespace kb {

struct Client;

// The per-frame steps of the local states; LocalGameStep picks one by GameState.
void StartStep(Client& client);
void GameStep(Client& client);
void EndRoundStep(Client& client);
void EndStep(Client& client);

// The steering step (more than 10 ms apart) and the movement step (more than
// 50 ms apart) of slots and bots; GameStep runs them when they are due.
void SteeringStep(Client& client);
void MovementStep(Client& client);

// Space in endround: clears the field, places everybody anew and starts the
// next round, or ends the game when somebody reached the goal.
void NextRound(Client& client);

}  // namespace kb
