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

TEST(Font, ArialAt96DpiMeasuresAndDrawsTheVisiblePartOfLatin1Text) {
  Font font;
  Image image(200, 40);
  font.Draw(image, 0, 0, "x", 1);  // without a face (a missing font) nothing is drawn or measured
  EXPECT_EQ(LitPixels(image) + font.TextWidth("abc"), 0);
  ASSERT_TRUE(font.Load("Arial", 11, false, false));
  EXPECT_TRUE(font.TextHeight("Hg") >= 14 && font.TextHeight("Hg") <= 20);  // 11 pt at 96 dpi: about 15 pixels
  EXPECT_GT(font.TextWidth("Kringelbahn"), font.TextWidth("Kringel"));
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

  // Only what can show is rendered: a megabyte of text costs its measuring,
  // not a rasterised strip megapixels wide, and looks the same.
  std::string text;
  while (text.size() < (1u << 20)) text += "Kringelbahn 123 ";
  text += "WWWW";
  auto draw = [&](int width, int x, int y, const std::string& t) {
    Image image(width, 30);
    font.Draw(image, x, y, t, 0xFFFFFF);
    return image;
  };
  EXPECT_EQ(LitPixels(draw(800, 0, 5, text)), LitPixels(draw(800, 0, 5, text.substr(0, 300))));
  int width = font.TextWidth(text);
  EXPECT_GT(width, 1000000);
  EXPECT_GT(LitPixels(draw(800, -100000, 5, text)), 500);     // the middle of the text
  EXPECT_GT(LitPixels(draw(800, 40 - width, 5, text)), 20);  // only "WWWW" reaches in
  for (auto [x, y] : {std::pair{-2147483647 - 1, 5}, {2147483647, 5}, {0, -2147483647 - 1}, {0, 2147483647},
                      {-width - 5, 5}, {800, 5}, {0, 30}, {0, -40}})
    EXPECT_EQ(LitPixels(draw(800, x, y, text)), 0) << x << "," << y;

  // Many long lines: the cache holds only their visible parts, and stays bounded.
  ASSERT_TRUE(font.Load("Arial", 11, false, false));
  for (int i = 0; i < 200; ++i) draw(800, 0, 0, std::to_string(i) + std::string(65000, 'M'));
  EXPECT_LT(font.CacheBytes(), 4u << 20);
}

}  // namespace
}  // namespace kb
