#pragma once

#include "common/platform/core/clock.h"

namespace kb {

struct Client;

// One frame's input and logic: the platform's events, the connection attempt
// and the server search, the console's keys, then (unless the console or a
// lost focus freezes it) the screen's step.
void UpdateFrame(Client& client);

// One pass of the frame loop: the scripts' lines and UpdateFrame every pass;
// DrawFrame only when the display can show a new frame or the screen changed;
// the window's close request. While a change of screen fades, its frames
// instead. False once the program is to end (frame.quit).
bool RunFramePass(Client& client);

// Shows the fading change of screen's next frame when it is due; false when
// no change is fading.
bool PlayStateChange(Client& client);

// For a browser, which calls it once per display frame: one pass for each
// millisecond since the last call, as the 1 ms loop would have run them, the
// last of them drawn. False once the program is to end.
bool RunSteppedPasses(Client& client, SteppedClock& clock);

// Runs passes with a 1 ms sleep between them until frame.quit is set. A
// normal end saves the settings; a display failure (fatalError) does not.
void RunFrameLoop(Client& client);

}  // namespace kb
