#include <gtest/gtest.h>

#include "client/ui/load_resources.h"
#include "client/ui/put_text.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBar = Rgb(0, 90, 0);
constexpr Colour kGlow = Rgb(250, 250, 0);
constexpr Colour kBarOff = Rgb(80, 80, 80);
constexpr Colour kBanner = Rgb(0, 0, 120);
constexpr Colour kLink = Rgb(0, 204, 0);
constexpr Colour kPointer = Rgb(1, 2, 3);

// A client with real fonts and plain single-colour pictures, so that a probe
// can tell which layer a pixel comes from.
struct DrawnClient : SpineClient {
  DrawnClient() {
    Resources& res = client.resources;
    LoadFonts(res);
    res.buttonFace = Image(180, 52, kBar);
    res.buttonGlow = Image(180, 52, kGlow);
    res.buttonFaceOff = Image(180, 52, kBarOff);
    res.titleBanner = Image(800, 90, kBanner);
    res.cursorSprite = Image(12, 21, kMagenta);
    res.cursorSprite.FillBox(0, 0, 1, 21, kPointer);  // the arrow's left edge
    BuildButtonSprites(client);
  }
  Colour At(int x, int y) const { return display.lastFrame.Pixel(x, y); }
  bool AnyOf(Colour c, int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (At(x, y) == c) return true;
    return false;
  }
};

TEST(MenuScreen, CheckBoxesShowCrossesInThePlayersColours) {
  DrawnClient c;
  c.client.round.players[1].active = 1;
  c.client.round.players[3].active = 1;
  c.Frame();
  EXPECT_EQ(c.At(214, 154), kWhite);  // slot 0: white border, black inside
  EXPECT_EQ(c.At(205, 145), 0u);
  for (auto [slot, colour] : {std::pair{1, Rgb(0, 255, 0)}, {3, Rgb(0, 102, 255)}}) {
    int top = 136 + 40 * slot;  // both diagonals
    for (auto [x, y] : {std::pair{196, top}, {213, top + 17}, {196, top + 17}, {213, top}})
      EXPECT_EQ(c.At(x, y), colour) << slot << " at " << x << "," << y;
    EXPECT_EQ(c.At(205, top + 2), 0u) << slot;
  }
  for (int slot = 0; slot < 8; ++slot)
    EXPECT_TRUE(c.AnyOf(c.client.round.playerColours[slot], 225, 130 + 40 * slot, 560, 160 + 40 * slot))
        << slot;
  // Option boxes: crossed while on.
  EXPECT_EQ(c.At(204, 465), kWhite);
  c.Click(200, 460);
  EXPECT_EQ(c.At(204, 465), 0u);
  EXPECT_EQ(c.At(404, 465), kWhite);
}

TEST(MenuScreen, BotsLineShowsTheCountAndZeroAfterReturning) {
  DrawnClient c;
  Image expected(800, 600);
  PutText(expected, c.client.resources.fontNormal, 225, 480, "Bots: 0", kWhite);
  auto botsLineMatches = [&] {
    Image dimmed = expected;
    DrawFadeOverlay(dimmed, c.client.frame.fadeLevel);
    for (int y = 480; y < 498; ++y)
      for (int x = 225; x < 300; ++x)
        if (c.At(x, y) != dimmed.Pixel(x, y)) return false;
    return true;
  };
  c.Frame();
  EXPECT_TRUE(botsLineMatches());
  c.Tap(scan::kPageUp);
  EXPECT_FALSE(botsLineMatches());
  c.Tap(scan::kEnter);
  c.Tap(scan::kEscape);
  ASSERT_EQ(c.State(), kStateMenu);
  EXPECT_TRUE(botsLineMatches());
}

TEST(Buttons, GreyUntilAGameCanStartAndGlowUnderTheMouse) {
  DrawnClient c;
  c.client.round.players[0].active = 1;
  c.Frame();
  EXPECT_EQ(c.At(221, 501), kBarOff) << "one player, no bots";
  EXPECT_EQ(c.At(401, 501), kBar) << "Multiplayer is always enabled";
  EXPECT_TRUE(c.AnyOf(Rgb(153, 153, 153), 225, 505, 395, 547)) << "grey caption";
  EXPECT_FALSE(c.AnyOf(kFaceOnKey, 405, 505, 575, 547));
  EXPECT_EQ(c.At(219, 501), 0u);  // the bar frames the face by 5 pixels
  c.client.round.botCount = 1;
  c.Frame();
  EXPECT_EQ(c.At(221, 501), kBar) << "one player and a bot";

  c.input.MoveMouse(406, 506);
  c.Frame();
  EXPECT_EQ(c.At(401, 501), MixColour(kBar, kGlow, 20));
  c.Frames(14);
  EXPECT_EQ(c.At(401, 501), kGlow);
  c.input.MoveMouse(405, 505);  // the face's own corner is outside
  c.Frame();
  EXPECT_EQ(c.client.menuButtons[1].glow, 235);
  // A disabled button glows unseen.
  c.client.round.botCount = 0;
  c.input.MoveMouse(300, 520);
  c.Frames(2);
  EXPECT_EQ(c.client.menuButtons[0].glow, 40);
  EXPECT_EQ(c.At(221, 501), kBarOff);
}

TEST(DrawFrame, OverlayFrameBottomBarAndPointer) {
  DrawnClient c;
  c.client.frame.fadeLevel = 255;
  c.Frame();
  EXPECT_EQ(c.At(195, 135), 0u) << "check box under a full overlay";
  EXPECT_EQ(c.At(10, 60), kBanner) << "the banner lies above the overlay";
  EXPECT_EQ(c.At(799, 300), kWhite) << "and so does the screen frame";
  EXPECT_EQ(c.client.frame.helpLine,
            "Starten: Leertaste | Bots: Bild Hoch/Runter | Multiplayer: Enter | Vollbild: Strg + F");
  int width = c.client.resources.fontNormal.TextWidth("kb.example.org");
  EXPECT_EQ(c.At(795 - width, 595), kLink);
  EXPECT_NE(c.At(794 - width, 595), kLink);
  c.input.MoveMouse(700, 580);
  c.client.frame.fadeLevel = 0;
  c.Frame();
  EXPECT_EQ(c.At(795, 595), Rgb(0, 255, 0)) << "the link lights up under the mouse";

  c.input.MoveMouse(300, 350);
  c.Frame();
  EXPECT_NE(c.At(300, 360), kPointer) << "the window has the system's pointer";
  c.client.config.fullScreenMode = 1;
  c.Frame();
  EXPECT_EQ(c.At(300, 360), kPointer);
  EXPECT_EQ(c.At(305, 360), 0u) << "magenta is transparent";
  c.client.frame.gameState = kStateEmpty;
  c.Frame();
  EXPECT_EQ(c.At(400, 300), 0u);
  EXPECT_EQ(c.At(795, 595), 0u) << "no bottom bar on the empty screen";
}

TEST(DrawFrame, FadeOverlayMatchesABlendedBlackSprite) {
  Image colours(70, 4);  // 70 wide: a partial run at the end
  for (int i = 0; i < 70; ++i) {
    colours.SetPixel(i, 0, Rgb(i * 3, 255 - i * 3, i * 2));
    colours.SetPixel(i, 1, kWhite);
  }
  for (int level : {5, 128, 255}) {
    Image fast = colours, blended = colours;
    DrawFadeOverlay(fast, level);
    blended.DrawBlended(Image(70, 4, 0), 0, 0, level);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 70; ++x) ASSERT_EQ(fast.Pixel(x, y), blended.Pixel(x, y)) << level;
  }
}

}  // namespace
}  // namespace kb
