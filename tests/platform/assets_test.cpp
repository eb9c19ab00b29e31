#include "assets/assets.h"

#include <gtest/gtest.h>

#include <set>

#include "common/platform/core/picture.h"

namespace kb {
namespace {

Image Decode(assets::Bytes bytes) { return DecodePicture(bytes.data, bytes.size); }

constexpr Colour kWhite = Rgb(255, 255, 255);

TEST(Assets, EveryPictureDecodesAndTheCursorHasNoMixedEdges) {
  const std::pair<const char*, assets::Bytes> pictures[] = {
      {"banner", assets::TitleBanner()}, {"glow", assets::BannerGlow()},       {"button", assets::ButtonFace()},
      {"lit", assets::ButtonGlow()},     {"off", assets::ButtonFaceOff()},     {"item 1", assets::ItemIcon(1)},
      {"item 3", assets::ItemIcon(3)},   {"triangle", assets::Triangle()},     {"lock light", assets::LockOnLight()},
      {"lock dark", assets::LockOnDark()}, {"cursor", assets::Cursor()}};
  for (const auto& [name, bytes] : pictures) {  // a blank or one-colour picture means the drawing went wrong
    Image image = Decode(bytes);
    std::set<Colour> colours;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) colours.insert(image.Pixel(x, y));
    EXPECT_GE(colours.size(), 3u) << name;
  }
  EXPECT_TRUE(assets::ItemIcon(0).size == 0u && assets::ItemIcon(4).data == nullptr);

  // The cursor is black and white on exact magenta, its tip in the corner: a mixed edge would show pink.
  Image cursor = Decode(assets::Cursor());
  EXPECT_NE(cursor.Pixel(0, 0), kMagenta);
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
