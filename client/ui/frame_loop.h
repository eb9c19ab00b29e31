#pragma once

namespace kb {

struct Client;

// One pass of the frame loop: UpdateFrame every pass; DrawFrame only when
// the display can show a new frame or the screen changed; the window's close
// request. False once the program is to end (frame.quit).
bool RunFramePass(Client& client);

// Runs passes with a 1 ms sleep between them until frame.quit is set, holding
// the state lock for each pass. A normal end saves the settings; a display
// failure (fatalError) does not.
void RunFrameLoop(Client& client);

}  // namespace kb
