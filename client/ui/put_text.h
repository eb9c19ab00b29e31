#pragma once

#include <string>

#include "common/platform/core/image.h"
#include "common/platform/sdl/font.h"

namespace kb {

// Draws text with its top-left corner at (x, y); x = -1 centres it on the
// 800-pixel width (400 - width / 2), y = -1 on the 600-pixel height.
void PutText(Image& screen, Font& font, int x, int y, const std::string& text, Colour colour);

// The text as it fits into width pixels: whole, or its longest beginning
// followed by "..." (FitTextEnd: "..." and its longest end, for a line being
// typed). What is stored stays whole; only what is drawn is cut.
std::string FitText(Font& font, const std::string& text, int width);
std::string FitTextEnd(Font& font, const std::string& text, int width);

// The text drawn in the outline colour at every offset -w..w in both
// directions, then once in the text colour; -1 centres as PutText does.
void PutOutlinedText(Image& screen, Font& font, int x, int y, const std::string& text, Colour outline,
                     Colour textColour, int w);

}  // namespace kb
