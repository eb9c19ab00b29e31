#pragma once

#include <cstdint>

namespace kb {

struct Client;

// The local game view of the states start, game and endround.
void DrawLocalGame(Client& client);

// The final result of state end.
void DrawFinalResult(Client& client);

// A confusion period in a running, unpaused round flashes: heads inverted.
// Its first 200 ms flicker, with plain frames in the gaps 25-50, 75-100,
// 125-150 and 175-200 ms.
bool IsFlashFrame(const Client& client, int64_t now);

}  // namespace kb
