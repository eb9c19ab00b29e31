#pragma once

#include <cstdint>
#include <string>

#include "client/core/net_state.h"
#include "common/platform/sdl/font.h"

namespace kb {

struct TypingState;

// The open chat line with its caret and the history above it. lineFont is the
// font current before the chat (it sets the line height); text is drawn with
// normal. The caret blinks with the console's.
void DrawChat(Image& screen, Font& lineFont, Font& normal, const NetSession& session, TypingState& typing,
              int64_t now);

}  // namespace kb
