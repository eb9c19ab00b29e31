#include "common/platform/core/image.h"

#include <gtest/gtest.h>

#include <utility>

namespace kb {
namespace {

int Lit(const Image& image) {
  int n = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) n += image.Pixel(x, y) != 0;
  return n;
}

// Shapes and sprites hanging off the borders, out to the ends of the int range: no overflow, no endless walk,
// and the part that reaches the image is still drawn.
TEST(Image, EveryOperationIsClippedSafeAndExact) {
  constexpr int kMin = -2147483647 - 1, kMax = 2147483647;
  Image image(10, 8), big(14, 12, 7), sprite(3, 3, 5);
  image.SetPixel(10, 8, 4);              // one past the far corner
  EXPECT_EQ(image.Pixel(100, 100), 0u);  // reads outside are empty
  image.Draw(big, -2, -2);
  EXPECT_TRUE(image.Pixel(0, 0) == 7u && image.Pixel(9, 7) == 7u);
  image.DrawBlended(sprite, 8, 6, 255);
  image.DrawKeyed(sprite, -2, -2, kMagenta);
  EXPECT_TRUE(image.Pixel(9, 7) == 5u && image.Pixel(0, 0) == 5u && image.Pixel(1, 1) == 7u);

  Image wide(30, 20, 5);
  const uint8_t coverage[4] = {255, 255, 255, 255};
  // Everything here lies outside a 40 x 30 image.
  for (auto [x, y] : {std::pair{kMin, kMin}, {kMax, kMax}, {kMin, 0}, {0, kMax}, {kMax - 5, 5}, {-30, -20}}) {
    Image outside(40, 30);
    outside.FillBox(x, y, 20, 20, 1);
    outside.FillBox(kMin, y, kMax, kMax, 1);  // ends left of column 0 or below/above the image
    outside.Draw(wide, x, y);
    outside.DrawKeyed(wide, x, y, 0);
    outside.DrawBlended(wide, x, y, 100);
    outside.DrawCoverage(coverage, 2, 2, x, y, 1);
    outside.SetPixel(x, y, 1);
    outside.FillCircle(x, y, 3, 1);
    outside.Line(x, y, x, y, 1);
    EXPECT_EQ(Lit(outside), 0) << x << "," << y;
  }
  Image field(40, 30);
  field.FillBox(-10, -10, 15, 12, 1);  // from above left: 5 x 2 remain
  EXPECT_EQ(Lit(field), 10);
  field.FillBox(-10, -10, kMax, kMax, 1);  // reaches over everything
  EXPECT_EQ(Lit(field), 40 * 30);
  field.Clear(0);
  field.Line(kMin, kMin, kMax, kMax, 2);  // the diagonal through the image
  EXPECT_TRUE(field.Pixel(5, 5) == 2u && field.Pixel(29, 29) == 2u && Lit(field) == 30);
  field.Clear(0);
  field.Line(0, 10, kMax, 10, 2);  // a whole row, without two billion steps
  field.Line(kMin, 20, kMax, 20, 2);
  EXPECT_TRUE(Lit(field) == 80 && field.Pixel(39, 20) == 2u);
  field.Clear(0);
  field.FillCircle(kMax, 15, kMax, 3);  // the left edge of a huge disc
  EXPECT_TRUE(field.Pixel(0, 15) == 3u && field.Pixel(39, 0) == 3u && field.Pixel(0, 0) == 0u);
  field.FillCircle(20, 15, kMax, 3);
  EXPECT_EQ(Lit(field), 40 * 30);
  Image shapes(20, 20);
  shapes.Line(2, 3, 7, 5, 9);
  EXPECT_TRUE(shapes.Pixel(2, 3) == 9u && shapes.Pixel(7, 5) == 9u);
  // A disc holds the pixels within its radius: dx² + dy² <= r².
  shapes.FillCircle(10, 10, 3, 5);
  for (auto [x, y, inside] : {std::tuple{13, 10, true}, {14, 10, false}, {12, 12, true}, {13, 12, false},
                              {13, 11, false}, {10, 13, true}, {11, 13, false}})
    EXPECT_EQ(shapes.Pixel(x, y) == 5u, inside) << x << "," << y;
  Image xored(4, 4, 0x0000FF);
  xored.SetXorMode(true);
  xored.FillBox(0, 0, 2, 2, 0x00FFFF);
  EXPECT_EQ(xored.Pixel(0, 0), 0x00FF00u);
  xored.FillBox(0, 0, 2, 2, 0x00FFFF);  // twice restores the picture
  EXPECT_EQ(xored.Pixel(0, 0), 0x0000FFu);

  Image keyed(2, 1);
  keyed.SetPixel(0, 0, kMagenta);
  keyed.SetPixel(1, 0, Rgb(200, 100, 0));
  Image target(4, 4, Rgb(0, 0, 100));
  target.DrawKeyed(keyed, 1, 1, kMagenta);
  EXPECT_TRUE(target.Pixel(1, 1) == Rgb(0, 0, 100) && target.Pixel(2, 1) == Rgb(200, 100, 0));  // key colour skipped
  for (auto [opacity, expected] :
       {std::pair{0, Rgb(0, 0, 100)}, {128, Rgb(100, 50, 50)}, {255, Rgb(200, 100, 0)}}) {
    target.DrawBlended(keyed, 2, 2, opacity);
    EXPECT_EQ(target.Pixel(3, 2), expected) << "opacity " << opacity;
  }
}

}  // namespace
}  // namespace kb
