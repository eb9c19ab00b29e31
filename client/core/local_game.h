#pragma once

namespace kb {

struct Client;

// Prepares a local game: scores, start positions, bots, round start time.
void NewGame(Client& client);

// Active slots plus bots.
int CountParticipants(const Client& client);

// Eliminated slots plus eliminated bots in the current round.
int CountEliminated(const Client& client);

// The step of the local states start, game, endround and end.
void LocalGameStep(Client& client);

}  // namespace kb
