#include "assets/generator/artwork.h"
#include "assets/generator/canvas.h"

namespace kb::art {

namespace {

struct BarLook {
  Rgb3 top, middle, bottom, border;
};

}  // namespace

Image ButtonBar(int look) {
  constexpr int kWidth = 180, kHeight = 52;
  // The face the game clicks is 170 x 42 with a 5-pixel margin around it.
  constexpr float kX = 5, kY = 5, kW = 170, kH = 42, kRadius = 12;
  static const BarLook kLooks[] = {
      {{120, 215, 95}, {45, 160, 45}, {20, 95, 25}, {10, 55, 15}},
      {{185, 255, 150}, {80, 215, 70}, {35, 140, 35}, {255, 225, 60}},
      {{175, 175, 175}, {120, 120, 120}, {75, 75, 75}, {45, 45, 45}},
  };
  const BarLook& colours = kLooks[look < 0 || look > 2 ? 0 : look];
  Canvas canvas(kWidth, kHeight);
  Shape body = RoundedBox(kX, kY, kW, kH, kRadius);

  if (look == 1) {
    // A warm halo in the margin, so the hover reads as light.
    Mask halo = Blur(canvas.Coverage(body), kWidth, kHeight, 3.0f);
    canvas.AddGlow(halo, {255, 210, 40}, 1.2f);
  } else {
    Mask shadow = Blur(canvas.Coverage(RoundedBox(kX + 1, kY + 2, kW, kH, kRadius)), kWidth, kHeight, 2.0f);
    canvas.AddGlow(shadow, {40, 40, 40}, 0.4f);
  }

  canvas.Fill(body,
              Vertical(kY, kY + kH, {{0.0f, colours.top}, {0.5f, colours.middle}, {1.0f, colours.bottom}}));
  // Gloss on the upper half.
  Shape gloss = Intersect(RoundedBox(kX + 3, kY + 2, kW - 6, kH * 0.55f, kRadius - 3), body);
  canvas.Fill(gloss, Vertical(kY + 2, kY + kH * 0.55f, {{0.0f, {255, 255, 255}}, {1.0f, colours.middle}}),
              look == 2 ? 0.25f : 0.35f);
  // A light line just inside the top edge and the rim.
  canvas.Fill(Intersect(Outline(RoundedBox(kX + 1.5f, kY + 1.5f, kW - 3, kH - 3, kRadius - 1.5f), 1.0f),
                        [](float, float y) { return y - (kY + kH / 2); }),
              Solid({255, 255, 255}), 0.35f);
  canvas.Fill(Outline(RoundedBox(kX + 0.75f, kY + 0.75f, kW - 1.5f, kH - 1.5f, kRadius - 0.75f),
                      look == 1 ? 2.0f : 1.3f),
              Solid(colours.border));
  return canvas.ToImage();
}

}  // namespace kb::art
