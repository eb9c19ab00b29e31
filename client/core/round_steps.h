#pragma once

namespace kb {

struct Model;

// The per-frame steps of the local states; LocalGameStep picks one by GameState.
void StartStep(Model& model);
void GameStep(Model& model);
void EndRoundStep(Model& model);
void EndStep(Model& model);

// The steering step (more than 10 ms apart) and the movement step (more than
// 50 ms apart) of slots and bots; GameStep runs them when they are due.
void SteeringStep(Model& model);
void MovementStep(Model& model);

// Space in endround: clears the field, places everybody anew and starts the
// next round, or ends the game when somebody reached the goal.
void NextRound(Model& model);

}  // namespace kb
