#include "common/game/field.h"

#include <cmath>

namespace kb {

int RandomRange(Random& random, int a, int b) { return a + random.Next(b - a); }

int Luminance(Colour c) { return (299 * RedOf(c) + 587 * GreenOf(c) + 114 * BlueOf(c)) / 1000; }

Colour RandomTrailColour(Random& random) {
  Colour c = 0;
  // Most draws are bright enough; the bound only keeps the loop finite.
  for (int i = 0; i < 64; ++i) {
    c = Rgb(RandomRange(random, 20, 255), RandomRange(random, 20, 255), RandomRange(random, 20, 255));
    if (Luminance(c) >= kMinTrailLuminance) return c;
  }
  return c | Rgb(0, 255, 0);
}

bool InsideField(int x, int y) { return x >= 0 && x <= kFieldWidth && y >= 0 && y <= kFieldHeight; }

void DrawTrailSegment(Image& target, int x1, int y1, int x2, int y2, int r, Colour c) {
  double dx = x2 - x1;
  double dy = y2 - y1;
  double length = std::sqrt(dx * dx + dy * dy);
  long discs = std::lround(length);
  for (long i = 0; i < discs; ++i) {
    int x = static_cast<int>(std::lround(x1 + dx * i / length));
    int y = static_cast<int>(std::lround(y1 + dy * i / length));
    target.FillCircle(x, y, r, c);
  }
}

}  // namespace kb
