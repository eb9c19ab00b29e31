#include "common/platform/core/image.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(Image, DrawingIsClippedToTheImage) {
  Image image(10, 8);
  image.FillBox(-5, -5, 8, 8, 1);
  EXPECT_EQ(image.Pixel(0, 0), 1u);
  EXPECT_EQ(image.Pixel(2, 2), 1u);
  EXPECT_EQ(image.Pixel(3, 3), 0u);
  image.FillCircle(9, 7, 4, 2);
  EXPECT_EQ(image.Pixel(9, 7), 2u);
  EXPECT_EQ(image.Pixel(100, 100), 0u);  // reads outside are empty
  image.Line(-20, 0, 40, 0, 3);
  EXPECT_EQ(image.Pixel(9, 0), 3u);
}

TEST(Image, LineDrawsBothEndPoints) {
  Image image(10, 10);
  image.Line(2, 3, 7, 5, 9);
  EXPECT_EQ(image.Pixel(2, 3), 9u);
  EXPECT_EQ(image.Pixel(7, 5), 9u);
  image.Line(4, 4, 4, 4, 8);
  EXPECT_EQ(image.Pixel(4, 4), 8u);
}

TEST(Image, CircleCoversExactlyTheRadius) {
  Image image(20, 20);
  image.FillCircle(10, 10, 3, 5);
  EXPECT_EQ(image.Pixel(13, 10), 5u);
  EXPECT_EQ(image.Pixel(14, 10), 0u);
  EXPECT_EQ(image.Pixel(12, 12), 5u);  // 8 <= 9
  EXPECT_EQ(image.Pixel(13, 12), 0u);  // 13 > 9
}

TEST(Image, XorModeTogglesPixels) {
  Image image(4, 4, 0x0000FF);
  image.SetXorMode(true);
  image.FillBox(0, 0, 2, 2, 0x00FFFF);
  EXPECT_EQ(image.Pixel(0, 0), 0x00FF00u);
  image.FillBox(0, 0, 2, 2, 0x00FFFF);
  EXPECT_EQ(image.Pixel(0, 0), 0x0000FFu);
}

TEST(Image, SpritesKeyedAndBlended) {
  Image sprite(2, 1);
  sprite.SetPixel(0, 0, kMagenta);
  sprite.SetPixel(1, 0, Rgb(200, 100, 0));
  Image target(4, 4, Rgb(0, 0, 100));
  target.DrawKeyed(sprite, 1, 1, kMagenta);
  EXPECT_EQ(target.Pixel(1, 1), Rgb(0, 0, 100));
  EXPECT_EQ(target.Pixel(2, 1), Rgb(200, 100, 0));
  target.DrawBlended(sprite, 2, 2, 0);
  EXPECT_EQ(target.Pixel(3, 2), Rgb(0, 0, 100));
  target.DrawBlended(sprite, 2, 2, 128);
  EXPECT_EQ(target.Pixel(3, 2), Rgb(100, 50, 50));
  target.DrawBlended(sprite, 2, 2, 255);
  EXPECT_EQ(target.Pixel(3, 2), Rgb(200, 100, 0));
  // A sprite hanging off every edge copies only its visible part.
  Image big(10, 10, 7);
  target.Draw(big, -3, -3);
  EXPECT_EQ(target.Pixel(3, 3), 7u);
}

}  // namespace
}  // namespace kb
