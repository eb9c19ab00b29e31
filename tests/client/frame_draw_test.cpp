#include <gtest/gtest.h>

#include "tests/client/frame_harness.h"

namespace kb {
namespace {

using namespace probe;

TEST(DrawFrame, ScreenFrameIsDrawnOnEveryScreen) {
  for (int state : {1, 25, 11, 24, 99}) {
    DrawnClient c;
    c.client.frame.gameState = state;
    c.client.frame.fadeLevel = 255;  // the frame lies above the overlay
    c.Frame();
    for (auto [x, y] : {std::pair{0, 0}, {400, 0}, {0, 300}, {799, 300}, {400, 599}, {799, 599}})
      EXPECT_EQ(c.At(x, y), kWhite) << state << " at " << x << "," << y;
  }
}

TEST(DrawFrame, EmptyScreenIsBlackInside) {
  DrawnClient c;
  c.client.frame.gameState = kStateEmpty;
  c.Frame();
  EXPECT_EQ(c.At(400, 300), 0u);
  EXPECT_EQ(c.At(1, 1), 0u);
  EXPECT_EQ(c.At(400, 70), 0u) << "no banner on the empty screen";
  EXPECT_EQ(c.At(795, 595), 0u) << "no bottom bar on the empty screen";
}

TEST(DrawFrame, FadeOverlayDarkensAllButBannerBarAndFrame) {
  DrawnClient c;
  c.client.frame.fadeLevel = 255;
  c.Frame();
  EXPECT_EQ(c.At(195, 135), 0u) << "check box under a full overlay";
  EXPECT_EQ(c.At(221, 501), 0u) << "button under a full overlay";
  EXPECT_EQ(c.At(10, 60), kBanner);
  EXPECT_EQ(c.At(795, 595), Rgb(0, 204, 0)) << "site link underline";

  c.client.frame.fadeLevel = 0;
  c.Frame();
  EXPECT_EQ(c.At(195, 135), kWhite);
}

TEST(DrawFrame, FadeOverlayMatchesABlendedBlackSprite) {
  // 70 wide: a partial run at the end; row 3 black except its last pixel.
  Image colours(70, 4);
  colours.SetPixel(69, 3, Rgb(200, 100, 50));
  for (int i = 0; i < 64; ++i) {
    colours.SetPixel(i, 0, Rgb(i * 4, 255 - i * 4, i * 3));
    colours.SetPixel(i, 1, Rgb(255, 255, 255));
    colours.SetPixel(i, 2, Rgb(1, 0, 128));
  }
  for (int level : {0, 5, 50, 128, 205, 250, 255}) {
    Image fast = colours, blended = colours;
    DrawFadeOverlay(fast, level);
    blended.DrawBlended(Image(70, 4, 0), 0, 0, level);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 70; ++x) ASSERT_EQ(fast.Pixel(x, y), blended.Pixel(x, y)) << level;
  }
  // The level left after a fade still dims white a little.
  Image white(2, 2, kWhite);
  DrawFadeOverlay(white, 5);
  EXPECT_EQ(white.Pixel(1, 1), Rgb(250, 250, 250));
}

TEST(DrawFrame, BannerGlowBlendsOverTheBanner) {
  DrawnClient c;
  c.client.frame.bannerGlow = 255;
  c.input.MoveMouse(400, 70);  // keeps the glow up
  c.Frame();
  EXPECT_EQ(c.At(10, 60), kBannerLit);
  EXPECT_EQ(c.At(10, 24), 0u);
  EXPECT_EQ(c.At(10, 116), 0u);
  c.input.MoveMouse(400, 300);
  c.Frames(13);
  EXPECT_EQ(c.At(10, 60), kBanner);
}

TEST(DrawFrame, PointerOnlyInFullScreenOutsideRounds) {
  DrawnClient c;
  c.input.MoveMouse(300, 350);
  c.Frame();
  EXPECT_NE(c.At(300, 360), Rgb(1, 2, 3)) << "the window has the system's pointer";

  c.client.config.fullScreenMode = 1;
  c.Frame();
  EXPECT_EQ(c.At(300, 360), Rgb(1, 2, 3));
  EXPECT_EQ(c.At(305, 360), 0u) << "magenta is transparent";

  for (int state : {kStateStart, kStateGame, kStateEndRound, kStateNet}) {
    c.client.frame.gameState = state;
    c.Frame();
    EXPECT_NE(c.At(300, 360), Rgb(1, 2, 3)) << state;
  }
  c.client.frame.gameState = kStateEnd;
  c.Frame();
  EXPECT_EQ(c.At(300, 360), Rgb(1, 2, 3));

  // Without the focus only the pointer is drawn.
  c.client.frame.gameState = kStateMenu;
  c.display.focus = false;
  c.Frame();
  EXPECT_EQ(c.At(0, 0), 0u);
  EXPECT_EQ(c.At(195, 135), 0u);
  EXPECT_EQ(c.At(300, 360), Rgb(1, 2, 3));
}

TEST(DrawFrame, FrameRateIsCountedPerSecondAndShownInDevMode) {
  DrawnClient c;
  c.Frame();  // the first frame opens a measuring period
  for (int i = 0; i < 9; ++i) {
    c.clock.Advance(110);
    DrawFrame(c.client);
  }
  EXPECT_EQ(c.client.frame.fpsValue, 1);
  c.clock.Advance(10);
  DrawFrame(c.client);
  EXPECT_EQ(c.client.frame.fpsValue, 10);

  EXPECT_FALSE(c.AnyLight(740, 2, 797, 12));
  c.client.frame.devMode = 1;
  c.client.frame.gameState = kStateHell;  // red below y 100, so a black back shows
  DrawFrame(c.client);
  EXPECT_TRUE(c.AnyLight(740, 2, 797, 12));
}

TEST(DrawFrame, TextObjectsAreDrawnInTheirColour) {
  DrawnClient c;
  c.client.frame.gameState = kStateEmpty;
  TextObject text;
  text.x = text.y = 300;
  text.text = "WWWW";
  text.colour = Rgb(10, 20, 30);
  c.client.textObjects.push_back(text);
  c.Frame();
  EXPECT_TRUE(c.AnyOf(Rgb(10, 20, 30), 300, 300, 360, 320));
  EXPECT_FALSE(c.AnyOf(Rgb(10, 20, 30), 200, 200, 299, 299));
}

TEST(DrawFrame, PictureScreens) {
  DrawnClient c;
  c.client.resources.triangleImage = Image(84, 84, Rgb(9, 9, 9));
  c.client.frame.gameState = kStateWtf;
  c.Frame();
  EXPECT_EQ(c.At(358, 258), Rgb(9, 9, 9));
  EXPECT_EQ(c.At(441, 341), Rgb(9, 9, 9));
  EXPECT_EQ(c.At(357, 300), 0u);
  EXPECT_EQ(c.At(442, 341), 0u);
  EXPECT_EQ(c.At(10, 60), kBanner);
  EXPECT_EQ(c.At(795, 595), 0u) << "wtf has no bottom bar";

  c.client.frame.gameState = kStateHell;
  c.Frame();
  EXPECT_EQ(c.At(10, 300), Rgb(255, 0, 0));
  EXPECT_EQ(c.At(10, 115), Rgb(0, 0, 0));
  EXPECT_EQ(c.At(10, 200), Rgb(170, 0, 0));
  EXPECT_EQ(c.At(10, 242), Rgb(254, 0, 0));
  EXPECT_EQ(c.At(10, 598), Rgb(57, 0, 0));
  EXPECT_EQ(c.At(10, 60), kBanner);
  EXPECT_TRUE(c.AnyOf(kWhite, 300, 200, 500, 400)) << "the outlined 666";
}

}  // namespace
}  // namespace kb
