#include "common/game/field.h"

#include <algorithm>
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
  if (discs == 0) return;
  // Only the discs whose centre lies within r of the image touch it: a
  // segment far longer than the image costs no more than its diagonal.
  double first = 0, last = static_cast<double>(discs - 1);
  auto keep = [&](double start, double step, double low, double high) {
    if (step == 0) {
      if (start < low || start > high) last = -1;
      return;
    }
    double a = (low - start) * length / step, b = (high - start) * length / step;
    first = std::max(first, std::min(a, b));
    last = std::min(last, std::max(a, b));
  };
  keep(x1, dx, -r - 1, target.Width() + r);
  keep(y1, dy, -r - 1, target.Height() + r);
  for (long i = static_cast<long>(std::ceil(first)); i <= static_cast<long>(std::floor(last)); ++i) {
    int x = static_cast<int>(std::lround(x1 + dx * i / length));
    int y = static_cast<int>(std::lround(y1 + dy * i / length));
    target.FillCircle(x, y, r, c);
  }
}

}  // namespace kb
