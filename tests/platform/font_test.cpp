#include "common/platform/sdl/font.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(Font, LoadsArialAndDrawsMeasuredText) {
  Font font;
  ASSERT_TRUE(font.Load("Arial", 11, false, false));
  // 11 pt at 96 dpi is about 15 pixels high.
  EXPECT_GE(font.TextHeight("Hg"), 14);
  EXPECT_LE(font.TextHeight("Hg"), 20);
  int width = font.TextWidth("Kringelbahn");
  EXPECT_GT(width, 50);
  EXPECT_LT(width, 100);
  EXPECT_EQ(font.TextWidth(""), 0);

  Image image(200, 40);
  font.Draw(image, 10, 10, "WWW", 0xFFFFFF);
  int lit = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) lit += image.Pixel(x, y) != 0;
  EXPECT_GT(lit, 20);
  EXPECT_EQ(image.Pixel(5, 5), 0u);  // nothing left of or above the anchor
}

TEST(Font, Latin1UmlautsHaveGlyphs) {
  Font font;
  ASSERT_TRUE(font.Load("Arial", 11, false, false));
  // "Ü" as one Latin-1 byte measures like a letter, not like nothing.
  EXPECT_GT(font.TextWidth("\xDC"), 5);
}

TEST(Font, OpaqueTextFillsItsCellAndXorTextToggles) {
  Font font;
  ASSERT_TRUE(font.Load("Arial", 8, false, true));
  Image image(100, 30, 0x123456);
  font.DrawOpaque(image, 0, 0, "a", 0xFFFFFF, 0);
  EXPECT_EQ(image.Pixel(0, 0), 0u);  // the cell's corner takes the back colour

  Image xorImage(100, 30, 0x0000FF);
  xorImage.SetXorMode(true);
  font.Draw(xorImage, 0, 0, "III", 0x0000FF);
  font.Draw(xorImage, 0, 0, "III", 0x0000FF);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(xorImage.Pixel(x, y), 0x0000FFu);
}

TEST(Font, MissingFontIsReportedNotCrashed) {
  Font font;
  EXPECT_FALSE(font.Loaded());
  Image image(10, 10);
  font.Draw(image, 0, 0, "x", 1);  // drawing with no face does nothing
  EXPECT_EQ(font.TextWidth("abc"), 0);
}

}  // namespace
}  // namespace kb
