#pragma once

namespace kb {

struct FrameState;

// The mouse strictly inside the 170 x 42 face of a button at (x, y): an edge
// pixel does not count.
bool MouseInButton(const FrameState& frame, int x, int y);

// The left button held this frame with the mouse inside the button at (x, y).
bool ButtonHeld(const FrameState& frame, int x, int y);

// The mouse inside the rectangle, both edges included.
bool MouseInRect(const FrameState& frame, int x, int y, int w, int h);

}  // namespace kb
