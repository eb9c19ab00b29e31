#include "common/game/field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "common/game/trig.h"

namespace kb {
namespace {

TEST(Field, FarEdgesAreInsideRandomRangesReachBothBoundsColoursAreBrightAndVaried) {
  EXPECT_TRUE(InsideField(0, 0) && InsideField(800, 575));
  for (auto [x, y] : {std::pair{801, 100}, {100, 576}, {-1, 100}, {100, -1}}) EXPECT_FALSE(InsideField(x, y));
  Random random(7);
  bool sawLow = false, sawHigh = false;
  for (int i = 0; i < 2000; ++i) {
    int v = RandomRange(random, 3, 6);
    ASSERT_TRUE(v >= 3 && v <= 6) << v;
    sawLow |= v == 3, sawHigh |= v == 6;
  }
  EXPECT_TRUE(sawLow && sawHigh);
  // Colours nobody chose are seen on black (#303034 is not), and still vary.
  EXPECT_LT(Luminance(0x343030), kMinTrailLuminance);
  std::set<Colour> seen;
  for (int i = 0; i < 5000; ++i) {
    Colour c = RandomTrailColour(random);
    ASSERT_GE(Luminance(c), kMinTrailLuminance) << std::hex << c;
    ASSERT_TRUE(RedOf(c) >= 20 && GreenOf(c) >= 20 && BlueOf(c) >= 20) << std::hex << c;
    seen.insert(c);
  }
  EXPECT_GT(seen.size(), 4900u);
}

TEST(Field, TrailSegmentsDrawRoundedLengthDiscsAndTheSamePartInsideFromFarOutside) {
  Image field(kFieldWidth, kFieldHeight);
  // Length 5 draws discs at x = 100..104; radius 3 around the first and the last.
  DrawTrailSegment(field, 100, 50, 105, 50, 3, 255);
  for (auto [x, y, lit] : {std::tuple{97, 50, true}, {107, 50, true}, {108, 50, false}, {100, 54, false}})
    EXPECT_EQ(field.Pixel(x, y) == 255u, lit) << x << "," << y;
  // Discs are clipped at the image border, never written outside.
  DrawTrailSegment(field, 798, 573, 803, 578, 3, 65280);
  EXPECT_EQ(field.Pixel(799, 574), 65280u);
  // Segments reaching far past the field (as far as a server may send) draw only the discs that touch it, and
  // exactly those: the part inside is the same as the same segment drawn on an image that holds all of it.
  const int m = 1100;
  const int segments[][4] = {{-1024, 300, 1824, 300}, {1824, -1000, -1024, 1500}, {400, -1024, 400, 1599},
                             {-1024, -1024, -5, -5},  {-20, 100, 900, 101},       {805, 580, 1800, 1500},
                             {-4, 580, 900, 580}};
  for (const auto& s : segments) {
    Image clipped(kFieldWidth, kFieldHeight), whole(kFieldWidth + 2 * m, kFieldHeight + 2 * m);
    DrawTrailSegment(clipped, s[0], s[1], s[2], s[3], 3, 255);
    DrawTrailSegment(whole, s[0] + m, s[1] + m, s[2] + m, s[3] + m, 3, 255);
    int differing = 0;
    for (int y = 0; y < kFieldHeight; ++y)
      for (int x = 0; x < kFieldWidth; ++x) differing += clipped.Pixel(x, y) != whole.Pixel(x + m, y + m);
    EXPECT_EQ(differing, 0) << s[0] << "," << s[1] << " to " << s[2] << "," << s[3];
  }
}

TEST(Trig, DirectionIndexUsesTenthsOfARadian) {
  for (auto [degrees, index] : {std::pair{0.0f, 0}, {90.0f, 16}, {359.5f, 63}})  // 90 degrees: 15.708 rounds up
    EXPECT_EQ(DirectionIndex(degrees), index) << degrees;
  EXPECT_NEAR(CosTable()[0], 1.0f, 1e-6);
  EXPECT_NEAR(SinTable()[16], static_cast<float>(std::sin(1.6)), 1e-6);
}

}  // namespace
}  // namespace kb
