#include "assets/generator/artwork.h"
#include "assets/generator/canvas.h"

namespace kb::art {

Image Padlock(bool onDark) {
  Canvas canvas(9, 14, onDark ? Rgb3{0, 0, 0} : Rgb3{255, 255, 255});
  // Shackle: a U of round stroke above the body.
  Shape shackle = Union(Capsule(2.3f, 7, 2.3f, 3.6f, 0.85f), Capsule(6.7f, 7, 6.7f, 3.6f, 0.85f));
  Shape arch = Intersect(Outline(Circle(4.5f, 3.7f, 2.2f), 1.7f), [](float, float y) { return y - 3.7f; });
  canvas.Fill(Union(shackle, arch), Solid(onDark ? Rgb3{170, 170, 175} : Rgb3{120, 120, 125}));
  Shape body = RoundedBox(0.5f, 6.5f, 8, 7, 1.2f);
  canvas.Fill(body, Vertical(6.5f, 13.5f, {{0.0f, {200, 200, 205}}, {1.0f, {120, 120, 128}}}));
  canvas.Fill(Outline(body, 0.8f), Solid(onDark ? Rgb3{150, 150, 155} : Rgb3{85, 85, 90}));
  canvas.Fill(Union(Circle(4.5f, 9.3f, 0.9f), Capsule(4.5f, 9.6f, 4.5f, 11.4f, 0.45f)), Solid({60, 60, 65}));
  return canvas.ToImage();
}

Image Cursor() {
  // Pixel art: anti-aliased edges would leave pink fringes around a
  // colour-keyed pointer.
  static const char* const kRows[21] = {
      "B...........", "BB..........", "BWB.........", "BWWB........", "BWWWB.......", "BWWWWB......",
      "BWWWWWB.....", "BWWWWWWB....", "BWWWWWWWB...", "BWWWWWWWWB..", "BWWWWWWWWWB.", "BWWWWWWBBBBB",
      "BWWWBWWB....", "BWWBBWWB....", "BWB..BWWB...", "BB...BWWB...", "B.....BWWB..", "......BWWB..",
      ".......BWWB.", ".......BWWB.", "........BB..",
  };
  Image image(12, 21, kMagenta);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 12; ++x) {
      char c = kRows[y][x];
      if (c != '.') image.SetPixel(x, y, c == 'B' ? Rgb(0, 0, 0) : Rgb(255, 255, 255));
    }
  return image;
}

}  // namespace kb::art
