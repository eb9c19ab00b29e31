#pragma once

namespace kb {

struct Client;

// The local game view of the states start, game and endround.
void DrawLocalGame(Client& client);

// The final result of state end.
void DrawFinalResult(Client& client);

}  // namespace kb
