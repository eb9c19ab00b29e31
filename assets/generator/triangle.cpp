#include <cmath>
#include <vector>

#include "assets/generator/artwork.h"
#include "assets/generator/canvas.h"

namespace kb::art {

// Three L-shaped beams, each turned a third of a circle against the last;
// every beam seems to lie both in front of and behind the next.
Image Triangle() {
  constexpr int kSize = 84;
  Canvas canvas(kSize, kSize, {255, 255, 255});
  const float a = 2.5f, b = 0.9f, s3 = std::sqrt(3.0f);
  std::vector<std::pair<float, float>> beam = {
      {-s3 / 2 * a, -0.5f * a},
      {-s3 / 2 * a - b, -0.5f * a},
      {0.5f * b, a + 3 * s3 / 2 * b},
      {s3 / 2 * a + 2.5f * b, -0.5f * a - s3 / 2 * b},
      {s3 / 2 * a + 2 * b, -0.5f * a - s3 * b},
      {0.5f * b, a + s3 / 2 * b},
  };
  // Fit the figure: it spans about 7.8 units across.
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  std::vector<std::vector<std::pair<float, float>>> beams;
  for (int k = 0; k < 3; ++k) {
    float angle = k * 2.0943951f, c = std::cos(angle), s = std::sin(angle);
    std::vector<std::pair<float, float>> turned;
    for (auto [x, y] : beam) {
      float rx = x * c - y * s, ry = x * s + y * c;
      turned.push_back({rx, ry});
      minX = std::min(minX, rx), maxX = std::max(maxX, rx), minY = std::min(minY, ry),
      maxY = std::max(maxY, ry);
    }
    beams.push_back(turned);
  }
  float scale = (kSize - 8) / std::max(maxX - minX, maxY - minY);
  float offsetX = (kSize - (maxX - minX) * scale) / 2, offsetY = (kSize - (maxY - minY) * scale) / 2;
  static const Rgb3 kGreys[] = {{150, 150, 150}, {205, 205, 205}, {70, 70, 70}};
  for (int k = 0; k < 3; ++k) {
    std::vector<std::pair<float, float>> points;
    // y grows downwards in the picture.
    for (auto [x, y] : beams[k])
      points.push_back({offsetX + (x - minX) * scale, offsetY + (maxY - y) * scale});
    Shape shape = Polygon(points);
    canvas.Fill(shape, Solid(kGreys[k]));
    canvas.Fill(Outline(shape, 1.0f), Solid({30, 30, 30}));
  }
  return canvas.ToImage();
}

}  // namespace kb::art
