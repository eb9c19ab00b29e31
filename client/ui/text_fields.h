#pragma once

#include "common/platform/sdl/font.h"

namespace kb {

struct NetState;
struct NetSession;

// The address and port fields of the manual connection screen.
void DrawManualFields(Image& screen, Font& font, const NetState& net);

// The password prompt: label, field and one star per character.
void DrawPasswordPrompt(Image& screen, Font& font, const NetSession& session);

}  // namespace kb
