#pragma once

namespace kb {

struct Client;

// Draws the whole frame of the current screen with its overlays and shows it.
void DrawFrame(Client& client);

}  // namespace kb
