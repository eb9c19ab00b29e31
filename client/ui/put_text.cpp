#include "client/ui/put_text.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kb {

namespace {

void Centre(Font& font, const std::string& text, int& x, int& y) {
  if (x == -1) x = 400 - font.TextWidth(text) / 2;
  if (y == -1) y = 300 - font.TextHeight(text) / 2;
}

constexpr char kEllipsis[] = "...";

// The longest n in [0, size] for which fits(n); fits is monotonic, falling.
size_t LongestFitting(size_t size, const auto& fits) {
  size_t low = 0, high = size;
  while (low < high) {
    size_t middle = (low + high + 1) / 2;
    if (fits(middle))
      low = middle;
    else
      high = middle - 1;
  }
  return low;
}

}  // namespace

std::string FitText(Font& font, const std::string& text, int width) {
  if (font.TextWidth(text) <= width) return text;
  size_t n = LongestFitting(text.size(),
                            [&](size_t n) { return font.TextWidth(text.substr(0, n) + kEllipsis) <= width; });
  return text.substr(0, n) + kEllipsis;
}

std::string FitTextEnd(Font& font, const std::string& text, int width) {
  if (font.TextWidth(text) <= width) return text;
  size_t n = LongestFitting(text.size(), [&](size_t n) {
    return font.TextWidth(kEllipsis + text.substr(text.size() - n)) <= width;
  });
  return kEllipsis + text.substr(text.size() - n);
}

void PutText(Image& screen, Font& font, int x, int y, const std::string& text, Colour colour) {
  Centre(font, text, x, y);
  font.Draw(screen, x, y, text, colour);
}

void PutOutlinedText(Image& screen, Font& font, int x, int y, const std::string& text, Colour outline,
                     Colour textColour, int w) {
  Centre(font, text, x, y);
  // Offsets in 64 bits: a text object may sit at the edge of the int range.
  auto moved = [](int v, int d) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{v} + d, INT_MIN, INT_MAX));
  };
  for (int i = -w; i <= w; ++i)
    for (int j = -w; j <= w; ++j) font.Draw(screen, moved(x, i), moved(y, j), text, outline);
  font.Draw(screen, x, y, text, textColour);
}

}  // namespace kb
