#pragma once

#include "common/platform/core/clock.h"

namespace kb {

struct Client;

// One pass of the frame loop: UpdateFrame every pass; DrawFrame only when
// the display can show a new frame or the screen changed; the window's close
// request. False once the program is to end (frame.quit).
bool RunFramePass(Client& client);

// For a browser, which calls it once per display frame: one pass for each
// millisecond since the last call, as the 1 ms loop would have run them, the
// last of them drawn. Holds the state lock. False once the program is to end.
bool RunSteppedPasses(Client& client, SteppedClock& clock);

// Runs passes with a 1 ms sleep between them until frame.quit is set, holding
// the state lock for each pass. A normal end saves the settings; a display
// failure (fatalError) does not.
void RunFrameLoop(Client& client);

}  // namespace kb
