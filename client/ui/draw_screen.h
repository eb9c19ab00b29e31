#pragma once

#include <vector>

#include "client/console/console_state.h"
#include "client/core/model.h"
#include "client/ui/button.h"
#include "client/ui/resources.h"

namespace kb {

// Draws the screen of the current state with its overlays: text objects,
// buttons, the fade, the banner and bottom bar, the console and (in
// developer mode) the frame rate. The caret and the console panel move on.
void DrawScreen(Image& screen, Resources& res, Model& model, std::vector<MenuButton>& buttons,
                ConsoleState& console, int fps);

// Full screen shows its own mouse pointer on the screens that are clicked.
bool PointerShown(const Model& model, bool fullScreen, int state);

// The black overlay: every pixel mixed towards black with opacity 0..255.
void DrawFadeOverlay(Image& screen, int level);

}  // namespace kb
