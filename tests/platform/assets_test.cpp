#include "assets/assets.h"

#include <gtest/gtest.h>

#include <set>

#include "common/platform/core/picture.h"

namespace kb {
namespace {

Image Decode(assets::Bytes bytes) { return DecodePicture(bytes.data, bytes.size); }

// How many distinct colours a picture holds: a blank or one-colour picture
// means the drawing went wrong.
size_t ColourCount(const Image& image) {
  std::set<Colour> colours;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) colours.insert(image.Pixel(x, y));
  return colours.size();
}

TEST(Assets, EveryPictureDecodesToItsSize) {
  struct Expected {
    const char* name;
    assets::Bytes bytes;
    int width, height;
  };
  const Expected pictures[] = {
      {"banner", assets::TitleBanner(), 800, 90},       {"banner glow", assets::BannerGlow(), 800, 90},
      {"button", assets::ButtonFace(), 180, 52},        {"button glow", assets::ButtonGlow(), 180, 52},
      {"button off", assets::ButtonFaceOff(), 180, 52}, {"item 1", assets::ItemIcon(1), 20, 20},
      {"item 2", assets::ItemIcon(2), 20, 20},          {"item 3", assets::ItemIcon(3), 20, 20},
      {"triangle", assets::Triangle(), 84, 84},         {"lock light", assets::LockOnLight(), 9, 14},
      {"lock dark", assets::LockOnDark(), 9, 14},       {"cursor", assets::Cursor(), 12, 21},
  };
  for (const Expected& picture : pictures) {
    SCOPED_TRACE(picture.name);
    Image image = Decode(picture.bytes);
    ASSERT_EQ(image.Width(), picture.width);
    ASSERT_EQ(image.Height(), picture.height);
    EXPECT_GE(ColourCount(image), 3u);
  }
  EXPECT_EQ(assets::ItemIcon(0).size, 0u);
  EXPECT_EQ(assets::ItemIcon(4).data, nullptr);
}

TEST(Assets, FileFormatsAreTheOnesTheGameExpects) {
  auto starts = [](assets::Bytes bytes, const char* magic) {
    return bytes.size > 4 && std::equal(magic, magic + 4, reinterpret_cast<const char*>(bytes.data));
  };
  EXPECT_TRUE(starts(assets::TitleBanner(), "\x89PNG"));
  EXPECT_TRUE(starts(assets::Triangle(), "\x89PNG"));
  // The triangle carries a palette: colour type 3 in the header chunk.
  ASSERT_GT(assets::Triangle().size, 26u);
  EXPECT_EQ(assets::Triangle().data[25], 3);
  EXPECT_EQ(assets::TitleBanner().data[25], 2);  // truecolour
  for (assets::Bytes bmp : {assets::LockOnLight(), assets::LockOnDark(), assets::Cursor()}) {
    ASSERT_GT(bmp.size, 30u);
    EXPECT_EQ(bmp.data[0], 'B');
    EXPECT_EQ(bmp.data[28], 24);  // bits per pixel
  }
}

TEST(Assets, CursorIsKeyedOnExactMagenta) {
  Image cursor = Decode(assets::Cursor());
  ASSERT_FALSE(cursor.Empty());
  // The tip is the top-left pixel; the right and bottom-left corners show the key.
  EXPECT_NE(cursor.Pixel(0, 0), kMagenta);
  EXPECT_EQ(cursor.Pixel(11, 0), kMagenta);
  EXPECT_EQ(cursor.Pixel(0, 20), kMagenta);
  // Every pixel is key, black or white: a mixed edge would show pink.
  int key = 0, outline = 0, fill = 0;
  for (int y = 0; y < cursor.Height(); ++y)
    for (int x = 0; x < cursor.Width(); ++x) {
      Colour c = cursor.Pixel(x, y);
      key += c == kMagenta, outline += c == 0, fill += c == Rgb(255, 255, 255);
    }
  EXPECT_EQ(key + outline + fill, 12 * 21);
  EXPECT_GT(fill, 30);
  EXPECT_GT(outline, 20);
}

TEST(Assets, BackgroundsMatchWhereThePicturesAreDrawn) {
  // Corners: padlocks on white and on black, banner and item icons on black,
  // triangle on white.
  EXPECT_EQ(Decode(assets::LockOnLight()).Pixel(0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(Decode(assets::LockOnDark()).Pixel(0, 0), 0u);
  EXPECT_EQ(Decode(assets::TitleBanner()).Pixel(0, 0), 0u);
  EXPECT_EQ(Decode(assets::ItemIcon(2)).Pixel(0, 0), 0u);
  EXPECT_EQ(Decode(assets::Triangle()).Pixel(0, 0), Rgb(255, 255, 255));
  // Both padlocks show the same grey body in the middle.
  Colour light = Decode(assets::LockOnLight()).Pixel(4, 10);
  EXPECT_GT(GreenOf(light), 60);
  EXPECT_LT(GreenOf(light), 230);
  // The highlighted banner is brighter than the plain one.
  Image plain = Decode(assets::TitleBanner()), glow = Decode(assets::BannerGlow());
  long plainSum = 0, glowSum = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 800; ++x)
      plainSum += GreenOf(plain.Pixel(x, y)), glowSum += GreenOf(glow.Pixel(x, y));
  EXPECT_GT(glowSum, plainSum * 11 / 10);
}

}  // namespace
}  // namespace kb
