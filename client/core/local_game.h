#pragma once

namespace kb {

struct Model;
struct RoundState;

// Prepares a local game: scores, start positions, bots, round start time.
void NewGame(Model& model);

// Active slots plus bots.
int CountParticipants(const RoundState& round);

// Eliminated slots plus eliminated bots in the current round.
int CountEliminated(const RoundState& round);

// The step of the local states start, game, endround and end.
void LocalGameStep(Model& model);

}  // namespace kb
