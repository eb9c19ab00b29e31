#pragma once

#include "common/platform/core/image.h"

namespace kb {

struct Client;

// Draws the whole frame of the current screen with its overlays and shows it.
void DrawFrame(Client& client);

// The black overlay: every pixel mixed towards black with opacity 0..255.
void DrawFadeOverlay(Image& screen, int level);

}  // namespace kb
