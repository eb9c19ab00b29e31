#pragma once

#include "client/console/console_state.h"
#include "client/core/model.h"
#include "common/platform/sdl/font.h"

namespace kb {

// Slides the console panel one frame towards open or closed, blinks the
// caret and draws the panel onto the screen.
void DrawConsole(Image& screen, Font& font, ConsoleState& console, Model& model);

}  // namespace kb
