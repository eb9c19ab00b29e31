#include <gtest/gtest.h>

#include "client/ui/put_text.h"
#include "tests/client/frame_harness.h"

namespace kb {
namespace {

using namespace probe;

TEST(MenuScreen, CheckBoxesShowCrossesInThePlayersColours) {
  DrawnClient c;
  c.client.round.players[1].active = 1;
  c.client.round.players[3].active = 1;
  c.Frame();
  // Slot 0 is empty: white border, black inside.
  EXPECT_EQ(c.At(195, 135), kWhite);
  EXPECT_EQ(c.At(214, 154), kWhite);
  EXPECT_EQ(c.At(196, 136), 0u);
  EXPECT_EQ(c.At(205, 145), 0u);
  // Slot 1 (green) and slot 3 (blue) carry both diagonals of a cross.
  for (auto [slot, colour] : {std::pair{1, Rgb(0, 255, 0)}, {3, Rgb(0, 102, 255)}}) {
    int top = 136 + 40 * slot;
    EXPECT_EQ(c.At(196, top), colour) << slot;
    EXPECT_EQ(c.At(213, top + 17), colour) << slot;
    EXPECT_EQ(c.At(196, top + 17), colour) << slot;
    EXPECT_EQ(c.At(213, top), colour) << slot;
    EXPECT_EQ(c.At(200, top + 4), colour) << slot;
    EXPECT_EQ(c.At(205, top + 2), 0u) << slot;
    EXPECT_EQ(c.At(195, top - 1), kWhite) << slot;
  }
  // Nothing between the boxes.
  EXPECT_EQ(c.At(205, 158), 0u);
}

TEST(MenuScreen, SlotLinesAreInThePlayersColours) {
  DrawnClient c;
  c.Frame();
  for (int slot = 0; slot < 8; ++slot) {
    Colour colour = c.client.round.playerColours[slot];
    EXPECT_TRUE(c.AnyOf(colour, 225, 130 + 40 * slot, 560, 160 + 40 * slot)) << slot;
  }
  EXPECT_FALSE(c.AnyOf(Rgb(255, 0, 0), 225, 170, 560, 200)) << "slot 1's line is not red";
}

TEST(MenuScreen, OptionBoxesFollowTheOptions) {
  DrawnClient c;
  c.Frame();
  for (int x : {196, 396}) {
    EXPECT_EQ(c.At(x, 457), kWhite);
    EXPECT_EQ(c.At(x + 17, 474), kWhite);
    EXPECT_EQ(c.At(x + 8, 465), kWhite);
    EXPECT_EQ(c.At(x + 8, 460), 0u);
  }
  c.Click(200, 460);
  EXPECT_EQ(c.At(196, 457), 0u);
  EXPECT_EQ(c.At(204, 465), 0u);
  EXPECT_EQ(c.At(195, 456), kWhite);
  EXPECT_EQ(c.At(396, 457), kWhite);
  EXPECT_TRUE(c.AnyLight(225, 450, 340, 478)) << "Verwirrung";
  EXPECT_TRUE(c.AnyLight(425, 450, 540, 478)) << "Upgrades";
}

TEST(MenuScreen, BotsLineShowsTheCountAndZeroAfterReturning) {
  DrawnClient reference;
  Image expected(800, 600);
  PutText(expected, reference.client.resources.fontNormal, 225, 480, "Bots: 0", kWhite);
  auto bots_line_matches = [&](const DrawnClient& c) {
    Image dimmed = expected;
    DrawFadeOverlay(dimmed, c.client.frame.fadeLevel);
    for (int y = 480; y < 498; ++y)
      for (int x = 225; x < 300; ++x)
        if (c.At(x, y) != dimmed.Pixel(x, y)) return false;
    return true;
  };
  DrawnClient c;
  c.Frame();
  EXPECT_TRUE(bots_line_matches(c));
  c.Tap(scan::kPageUp);
  c.Tap(scan::kPageUp);
  EXPECT_FALSE(bots_line_matches(c));
  c.Tap(scan::kEnter);
  c.Tap(scan::kEscape);
  ASSERT_EQ(c.State(), kStateMenu);
  c.Frame();
  EXPECT_TRUE(bots_line_matches(c));
}

TEST(Buttons, StartButtonIsGreyUntilAGameCanStart) {
  DrawnClient c;
  c.client.round.players[0].active = 1;
  c.Frame();
  EXPECT_EQ(c.At(221, 501), kBarOff) << "one player, no bots";
  EXPECT_EQ(c.At(401, 501), kBar) << "Multiplayer is always enabled";
  c.client.round.botCount = 1;
  c.Frame();
  EXPECT_EQ(c.At(221, 501), kBar) << "one player and a bot";
  c.client.round.botCount = 0;
  c.client.round.players[4].active = 1;
  c.Frame();
  EXPECT_EQ(c.At(221, 501), kBar) << "two players";
  // The bar frames the face by 5 pixels: nothing outside it.
  EXPECT_EQ(c.At(219, 501), 0u);
  EXPECT_EQ(c.At(221, 499), 0u);
  EXPECT_EQ(c.At(399, 551), kBar);
  EXPECT_EQ(c.At(400, 552), 0u);
}

TEST(Buttons, CaptionsShowTheirColoursAndOnlyTheCaption) {
  DrawnClient c;
  c.Frame();
  int start = FindButton(c.client, kStateMenu, "Starten");
  int multi = FindButton(c.client, kStateMenu, "Multiplayer");
  ASSERT_EQ(start, 0);
  ASSERT_EQ(multi, 1);
  // The face's key colour is invisible: its corner shows the bar.
  EXPECT_EQ(c.At(226, 506), kBarOff);
  EXPECT_EQ(c.At(406, 506), kBar);
  EXPECT_TRUE(c.AnyOf(Rgb(153, 153, 153), 225, 505, 395, 547)) << "grey caption";
  EXPECT_TRUE(c.AnyOf(Rgb(51, 51, 51), 225, 505, 395, 547)) << "dark grey outline";
  EXPECT_TRUE(c.AnyOf(Rgb(0, 255, 0), 405, 505, 575, 547)) << "bright green caption";
  EXPECT_TRUE(c.AnyOf(Rgb(0, 102, 0), 405, 505, 575, 547)) << "dark green outline";
  EXPECT_FALSE(c.AnyOf(kFaceOnKey, 405, 505, 575, 547));
  EXPECT_FALSE(c.AnyOf(kFaceOffKey, 225, 505, 395, 547));
}

TEST(Buttons, GlowRisesUnderTheMouseAndFallsOnTheEdge) {
  DrawnClient c;
  MenuButton& multi = c.client.menuButtons[1];
  c.input.MoveMouse(406, 506);
  c.Frame();
  EXPECT_EQ(multi.glow, 20);
  EXPECT_EQ(c.At(401, 501), MixColour(kBar, kGlow, 20));
  c.Frames(14);
  EXPECT_EQ(multi.glow, 255);
  EXPECT_EQ(c.At(401, 501), kGlow);
  c.input.MoveMouse(405, 505);  // the face's own corner is outside
  c.Frame();
  EXPECT_EQ(multi.glow, 235);
  c.Frames(20);
  EXPECT_EQ(multi.glow, 0);
  EXPECT_EQ(c.At(401, 501), kBar);
}

TEST(Buttons, DisabledButtonGlowsUnseenAndHiddenButtonsKeepTheirGlow) {
  DrawnClient c;
  MenuButton& start = c.client.menuButtons[0];
  MenuButton& internet = c.client.menuButtons[2];
  internet.glow = 100;
  c.input.MoveMouse(300, 520);
  c.Frames(2);
  EXPECT_EQ(start.glow, 40);
  EXPECT_EQ(c.At(221, 501), kBarOff);
  EXPECT_EQ(internet.glow, 100);
  EXPECT_EQ(c.At(311, 116), 0u) << "the net_choose buttons are not on the menu";
}

TEST(Buttons, NetChooseShowsItsTwoButtonsAndHelpLine) {
  DrawnClient c;
  c.client.frame.gameState = kStateNetChoose;
  c.Frame();
  EXPECT_EQ(c.At(311, 116), kBar);
  EXPECT_EQ(c.At(311, 166), kBar);
  EXPECT_EQ(c.At(221, 501), 0u);
  EXPECT_EQ(c.client.frame.helpLine, "Internet: F1 | LAN: F2 | Vollbild: Strg + F");
  // The list screens' buttons stay grey while no list has arrived.
  c.client.frame.gameState = kStateNetLan;
  c.Frame();
  EXPECT_EQ(c.At(221, 516), kBarOff);
  EXPECT_EQ(c.At(401, 516), kBar) << "Manuell";
  // The password button never shows outside a network game.
  for (int state : {1, 11, 14, 13, 16, 19}) {
    c.client.frame.gameState = state;
    c.Frame();
    EXPECT_NE(c.At(72, 52), kBarOff) << state;
  }
}

TEST(Buttons, CaptionsAreTheSameAfterADisplaySwitch) {
  DrawnClient c;
  c.Frame();
  Image before = c.display.lastFrame;
  c.input.SetKey(scan::kLeftCtrl, true);
  c.input.SetKey(scan::kF, true);
  c.Frame();
  ASSERT_TRUE(c.display.fullScreen);
  // The switch reloads the bars from the carried pictures; put the plain ones back.
  c.client.resources.buttonFace = Image(180, 52, kBar);
  c.client.resources.buttonFaceOff = Image(180, 52, kBarOff);
  c.client.config.fullScreenMode = 0;
  c.Frame();
  for (int y = 500; y < 552; ++y)
    for (int x = 220; x < 580; ++x) ASSERT_EQ(c.At(x, y), before.Pixel(x, y)) << x << "," << y;
}

TEST(BottomBar, HelpVersionAndSiteLink) {
  DrawnClient c;
  c.Frame();
  EXPECT_EQ(c.client.frame.helpLine,
            "Starten: Leertaste | Bots: Bild Hoch/Runter | Multiplayer: Enter | Vollbild: Strg + F");
  EXPECT_EQ(c.At(795, 595), Rgb(0, 204, 0));
  int width = c.client.resources.fontNormal.TextWidth("kb.example.org");
  EXPECT_EQ(c.At(795 - width, 595), Rgb(0, 204, 0));
  EXPECT_NE(c.At(794 - width, 595), Rgb(0, 204, 0));
  EXPECT_TRUE(c.AnyLight(5, 580, 120, 597)) << "version";
  EXPECT_TRUE(c.AnyLight(300, 580, 500, 597)) << "help line";
  c.input.MoveMouse(700, 580);
  c.Frame();
  EXPECT_EQ(c.At(795, 595), Rgb(0, 255, 0));
  c.input.MoveMouse(699, 590);
  c.Frame();
  EXPECT_EQ(c.At(795, 595), Rgb(0, 204, 0));
}

}  // namespace
}  // namespace kb
