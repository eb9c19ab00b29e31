#pragma once

namespace kb {

struct Client;

// Runs frames (update, draw, the window's close request, 1 ms sleep) until
// frame.quit is set, holding the state lock for each frame. A normal end
// saves the settings; a display failure (fatalError) does not.
void RunFrameLoop(Client& client);

}  // namespace kb
