#include <algorithm>
#include <cmath>

#include "assets/generator/artwork.h"
#include "assets/generator/canvas.h"
#include "common/platform/sdl/font.h"

namespace kb::art {

namespace {

constexpr int kSize = 20;

// The light disc every item sits on, lit from the upper left.
void Disc(Canvas& canvas) {
  Shape disc = Circle(10, 10, 9.4f);
  canvas.Fill(disc, [](float x, float y) {
    float d = std::hypot(x - 7, y - 6.5f) / 14;
    return Mix(Rgb3{255, 255, 255}, Rgb3{170, 176, 186}, std::clamp(d, 0.0f, 1.0f));
  });
  canvas.Fill(Outline(Circle(10, 10, 8.9f), 1.1f), Solid({95, 100, 110}));
}

// Draws text through its coverage, centred on (cx, cy).
void CentredText(Canvas& canvas, const std::string& text, int points, float cx, float cy,
                 const Paint& paint) {
  Font font;
  if (!font.Load("Arial", points, true, false)) return;
  Image probe(64, 64);
  font.Draw(probe, 8, 8, text, 0xFFFFFF);
  int top = 64, bottom = -1, left = 64, right = -1;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if (RedOf(probe.Pixel(x, y)) > 20)
        top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x),
        right = std::max(right, x);
  if (bottom < 0) return;
  Mask mask(kSize * kSize, 0);
  float dx = cx - (left + right + 1) / 2.0f, dy = cy - (top + bottom + 1) / 2.0f;
  int ox = static_cast<int>(std::lround(dx)), oy = static_cast<int>(std::lround(dy));
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) mask[y * kSize + x] = RedOf(probe.Pixel(x - ox, y - oy)) / 255.0f;
  canvas.FillMask(mask, paint);
}

}  // namespace

Image ItemIcon(int kind) {
  Canvas canvas(kSize, kSize);
  Disc(canvas);
  if (kind == 1) {
    Shape arrow = Polygon(
        {{10, 3}, {16.2f, 9.6f}, {12.4f, 9.6f}, {12.4f, 16.5f}, {7.6f, 16.5f}, {7.6f, 9.6f}, {3.8f, 9.6f}});
    canvas.Fill(Outline(arrow, 1.2f), Solid({10, 80, 20}));
    canvas.Fill(arrow, Vertical(3, 16.5f, {{0.0f, {90, 230, 80}}, {1.0f, {15, 135, 30}}}));
  } else if (kind == 2) {
    // A heater shield: straight shoulders that curve into the point.
    std::vector<std::pair<float, float>> outline = {{4.6f, 4.2f}, {10, 3.3f}, {15.4f, 4.2f}};
    for (int i = 1; i <= 10; ++i) {
      float t = i / 10.0f;
      outline.push_back({15.4f - 5.4f * std::pow(t, 2.4f), 4.2f + 12.8f * t});
    }
    for (int i = 9; i >= 1; --i) {
      float t = i / 10.0f;
      outline.push_back({4.6f + 5.4f * std::pow(t, 2.4f), 4.2f + 12.8f * t});
    }
    Shape shield = Polygon(outline);
    canvas.Fill(Outline(shield, 1.2f), Solid({100, 10, 10}));
    canvas.Fill(shield, Vertical(3, 17, {{0.0f, {255, 90, 80}}, {1.0f, {175, 15, 20}}}));
    // A light band down the left half gives it a curved face.
    canvas.Fill(Intersect(shield, [](float x, float) { return x - 10; }), Solid({255, 255, 255}), 0.22f);
  } else {
    Paint red = Vertical(4, 16, {{0.0f, {240, 50, 40}}, {1.0f, {165, 10, 15}}});
    CentredText(canvas, "?!", 11, 10, 10, red);
  }
  return canvas.ToImage();
}

}  // namespace kb::art
