#pragma once

#include <cstdint>
#include <string>

#include "client/core/net_state.h"
#include "common/platform/sdl/font.h"

namespace kb {

struct ConsoleState;

// The open chat line with its caret and the history above it. lineFont is the
// font current before the chat (it sets the line height); text is drawn with
// normal. The caret blink is the console's.
void DrawChat(Image& screen, Font& lineFont, Font& normal, NetSession& session, ConsoleState& console,
              int64_t now);

}  // namespace kb
