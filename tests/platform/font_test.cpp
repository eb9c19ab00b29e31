#include "common/platform/sdl/font.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

int LitPixels(const Image& image, Colour background = 0) {
  int lit = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) lit += image.Pixel(x, y) != background;
  return lit;
}

TEST(Font, ArialAt96DpiMeasuresAndDrawsLatin1Text) {
  Font font;
  Image image(200, 40);
  // Without a face (a missing font) nothing is drawn or measured.
  font.Draw(image, 0, 0, "x", 1);
  EXPECT_EQ(LitPixels(image) + font.TextWidth("abc"), 0);
  ASSERT_TRUE(font.Load("Arial", 11, false, false));
  EXPECT_GE(font.TextHeight("Hg"), 14);  // 11 pt at 96 dpi is about 15 pixels
  EXPECT_LE(font.TextHeight("Hg"), 20);
  EXPECT_GT(font.TextWidth("Kringelbahn"), 50);
  EXPECT_LT(font.TextWidth("Kringelbahn"), 100);
  EXPECT_EQ(font.TextWidth(""), 0);
  EXPECT_GT(font.TextWidth("\xDC"), 5);  // one Latin-1 byte is a letter, not nothing

  font.Draw(image, 10, 10, "WWW", 0xFFFFFF);
  EXPECT_GT(LitPixels(image), 20);
  EXPECT_EQ(image.Pixel(5, 5), 0u);  // nothing left of or above the anchor

  Image opaque(100, 30, 0x123456);
  font.DrawOpaque(opaque, 0, 0, "a", 0xFFFFFF, 0);
  EXPECT_EQ(opaque.Pixel(0, 0), 0u);  // the cell's corner takes the back colour

  Image xorImage(100, 30, 0x0000FF);
  xorImage.SetXorMode(true);
  font.Draw(xorImage, 0, 0, "III", 0x0000FF);
  EXPECT_GT(LitPixels(xorImage, 0x0000FF), 5);
  font.Draw(xorImage, 0, 0, "III", 0x0000FF);  // the cached string toggles back exactly
  EXPECT_EQ(LitPixels(xorImage, 0x0000FF), 0);
}

}  // namespace
}  // namespace kb
