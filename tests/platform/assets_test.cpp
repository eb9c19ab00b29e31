#include "assets/assets.h"

#include <gtest/gtest.h>

#include <set>

#include "common/platform/core/picture.h"

namespace kb {
namespace {

Image Decode(assets::Bytes bytes) { return DecodePicture(bytes.data, bytes.size); }

constexpr Colour kWhite = Rgb(255, 255, 255);

TEST(Assets, EveryPictureDecodesAndTheCursorHasNoMixedEdges) {
  const struct {
    const char* name;
    assets::Bytes bytes;
    int width, height;
    char magic;        // 'B' for the 24-bit BMPs, 0x89 for PNG
    long long corner;  // the background it is drawn on, -1 for any
  } pictures[] = {     // clang-format off
      {"banner", assets::TitleBanner(), 800, 90, '\x89', 0}, {"glow", assets::BannerGlow(), 800, 90, '\x89', -1},
      {"button", assets::ButtonFace(), 180, 52, '\x89', -1}, {"lit", assets::ButtonGlow(), 180, 52, '\x89', -1},
      {"button off", assets::ButtonFaceOff(), 180, 52, '\x89', -1},
      {"item 1", assets::ItemIcon(1), 20, 20, '\x89', 0}, {"item 2", assets::ItemIcon(2), 20, 20, '\x89', 0},
      {"item 3", assets::ItemIcon(3), 20, 20, '\x89', 0}, {"triangle", assets::Triangle(), 84, 84, '\x89', kWhite},
      {"lock light", assets::LockOnLight(), 9, 14, 'B', kWhite}, {"lock dark", assets::LockOnDark(), 9, 14, 'B', 0},
      {"cursor", assets::Cursor(), 12, 21, 'B', kMagenta}};
  // clang-format on
  for (const auto& picture : pictures) {
    SCOPED_TRACE(picture.name);
    ASSERT_GT(picture.bytes.size, 30u);
    EXPECT_EQ(static_cast<char>(picture.bytes.data[0]), picture.magic);
    Image image = Decode(picture.bytes);
    ASSERT_EQ(image.Width(), picture.width);
    ASSERT_EQ(image.Height(), picture.height);
    // The corner shows the background it is drawn on, where it has one.
    EXPECT_TRUE(picture.corner < 0 || image.Pixel(image.Width() - 1, 0) == picture.corner);
    // A blank or one-colour picture means the drawing went wrong.
    std::set<Colour> colours;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) colours.insert(image.Pixel(x, y));
    EXPECT_GE(colours.size(), 3u);
  }
  EXPECT_EQ(assets::ItemIcon(0).size, 0u);
  EXPECT_EQ(assets::ItemIcon(4).data, nullptr);

  // The cursor is black and white on exact magenta.
  Image cursor = Decode(assets::Cursor());
  EXPECT_NE(cursor.Pixel(0, 0), kMagenta);  // the tip
  EXPECT_EQ(cursor.Pixel(0, 20), kMagenta);
  // Every pixel is key, black or white: a mixed edge would show pink.
  int fill = 0;
  for (int y = 0; y < cursor.Height(); ++y)
    for (int x = 0; x < cursor.Width(); ++x) {
      Colour c = cursor.Pixel(x, y);
      ASSERT_TRUE(c == kMagenta || c == 0 || c == kWhite) << x << "," << y;
      fill += c == kWhite;
    }
  EXPECT_GT(fill, 30);
}

}  // namespace
}  // namespace kb
