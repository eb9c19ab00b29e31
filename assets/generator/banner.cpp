#include <algorithm>
#include <cmath>

#include "assets/generator/artwork.h"
#include "assets/generator/canvas.h"
#include "common/platform/sdl/font.h"

namespace kb::art {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 90;

struct TextMask {
  Mask mask;
  int top = 0, bottom = 0, left = 0, right = 0;
};

// The name's coverage, its ink centred in the banner.
TextMask NameMask() {
  Font font;
  TextMask result;
  result.mask.assign(kWidth * kHeight, 0);
  if (!font.Load("Arial", 56, true, true)) return result;
  const std::string name = "Kringelbahn";
  Image probe(kWidth, 200);
  font.Draw(probe, 20, 20, name, 0xFFFFFF);
  int top = 200, bottom = -1, left = kWidth, right = -1;
  for (int y = 0; y < probe.Height(); ++y)
    for (int x = 0; x < probe.Width(); ++x)
      if (RedOf(probe.Pixel(x, y)) > 8) {
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
  if (bottom < 0) return result;
  int dx = (kWidth - (right - left + 1)) / 2 - left;
  int dy = (kHeight - (bottom - top + 1)) / 2 - top;
  Image placed(kWidth, kHeight);
  font.Draw(placed, 20 + dx, 20 + dy, name, 0xFFFFFF);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) result.mask[y * kWidth + x] = RedOf(placed.Pixel(x, y)) / 255.0f;
  result.top = top + dy, result.bottom = bottom + dy;
  result.left = left + dx, result.right = right + dx;
  return result;
}

}  // namespace

Image TitleBanner(bool highlighted) {
  Canvas canvas(kWidth, kHeight);
  TextMask text = NameMask();
  const Mask& m = text.mask;
  float boost = highlighted ? 1.0f : 0.0f;

  // A faint horizon of light behind the name, strongest in the middle.
  Mask horizon(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      float dx = (x - kWidth / 2.0f) / (kWidth * 0.42f), dy = (y - kHeight * 0.55f) / (kHeight * 0.22f);
      horizon[y * kWidth + x] = std::exp(-(dx * dx + dy * dy) * 1.5f);
    }
  canvas.AddGlow(horizon, {160, 40, 0}, 0.35f + 0.25f * boost);

  // Two trails run in from the edges towards the name, fading outwards.
  Mask trails(kWidth * kHeight, 0);
  float baseline = text.top + (text.bottom - text.top) * 0.62f;
  Mask line = canvas.Coverage([&](float x, float y) {
    float left = Capsule(24, baseline, text.left - 26.0f, baseline, 1.3f)(x, y);
    float right = Capsule(text.right + 26.0f, baseline, kWidth - 24.0f, baseline, 1.3f)(x, y);
    return std::min(left, right);
  });
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      float fromText = x < kWidth / 2 ? (text.left - 26.0f - x) / (text.left - 50.0f)
                                      : (x - text.right - 26.0f) / (kWidth - text.right - 50.0f);
      trails[y * kWidth + x] = line[y * kWidth + x] * std::clamp(1.0f - fromText, 0.0f, 1.0f);
    }
  canvas.AddGlow(Blur(trails, kWidth, kHeight, 3.5f), {255, 90, 0}, 1.4f + 0.8f * boost);
  canvas.AddGlow(trails, {255, 200, 110}, 0.9f + 0.1f * boost);

  // Glow: a wide soft halo and a tight hot one.
  canvas.AddGlow(Blur(m, kWidth, kHeight, 14 + 4 * boost), {255, 70, 0}, 1.5f + 1.2f * boost);
  canvas.AddGlow(Blur(m, kWidth, kHeight, 5 + 1 * boost), {255, 150, 30}, 1.3f + 0.9f * boost);
  canvas.AddGlow(Blur(m, kWidth, kHeight, 1.6f), {255, 210, 120}, 0.8f + 0.6f * boost);

  // The letters: white-hot at the top cooling to ember red below.
  float top = static_cast<float>(text.top), bottom = static_cast<float>(text.bottom);
  Paint fill = highlighted ? Vertical(top, bottom,
                                      {{0.0f, {255, 255, 255}},
                                       {0.45f, {255, 250, 200}},
                                       {0.75f, {255, 200, 90}},
                                       {1.0f, {255, 130, 40}}})
                           : Vertical(top, bottom,
                                      {{0.0f, {255, 255, 235}},
                                       {0.4f, {255, 228, 120}},
                                       {0.72f, {255, 150, 30}},
                                       {1.0f, {200, 50, 10}}});
  canvas.FillMask(m, fill);
  return canvas.ToImage();
}

}  // namespace kb::art
