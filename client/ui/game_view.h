#pragma once

#include <cstdint>

namespace kb {

struct FrameState;
struct Resources;
struct RoundState;
class Image;

// The local game view of the states start, game and endround.
void DrawLocalGame(Image& screen, Resources& res, const RoundState& round, const FrameState& frame,
                   int64_t now);

// The final result of state end.
void DrawFinalResult(Image& screen, Resources& res, const RoundState& round);

// A confusion period in a running, unpaused round flashes: heads inverted.
// Its first 200 ms flicker, with plain frames in the gaps 25-50, 75-100,
// 125-150 and 175-200 ms.
bool IsFlashFrame(const RoundState& round, int state, int64_t now);

}  // namespace kb
