#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "client/console/mode_command.h"
#include "client/core/mouse.h"
#include "client/core/state_steps.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

// A fade darkens the old screen over six frames and brightens the new one over six, only between screens: not
// among the round states, into the menu from a round, or while connecting. A round's start pause counts from
// the fade's end.
TEST(SetGameState, FadesTwelveFramesOnlyBetweenScreens) {
  // clang-format off
  const std::tuple<int, int, int> changes[] = {{kStateMenu, kStateStart, 12}, {kStateEnd, kStateMenu, 12},
      {kStateEndRound, kStateStart, 0}, {kStateGame, kStateMenu, 0}, {kStateNetWeb, kStateNetConnect, 0}};
  // clang-format on
  for (auto [from, to, frames] : changes) {
    SpineClient c;
    c.client.frame.gameState = from;
    int64_t before = c.clock.Now();
    SetGameState(c.client, to, false);
    std::vector<int> shown;  // the screen of each frame
    for (int i = 0; i < 1000 && PlayStateChange(c.client); ++i, c.clock.Advance(1))
      if (c.display.presented > static_cast<int>(shown.size())) shown.push_back(c.State());
    EXPECT_EQ(c.State(), to);
    std::vector<int> expected(frames / 2, from);
    expected.resize(frames, to);
    EXPECT_EQ(shown, expected) << from << " to " << to << ": the old screen darkens, the new one brightens";
    EXPECT_EQ(c.client.frame.fadeLevel, frames ? 5 : 0) << "a fade ends brightened again";
    if (to == kStateStart) {
      EXPECT_GE(c.client.round.roundStartTime - before, frames * kFadeFrameMs);
    }
  }
}

// Names in any case switch from the console with a fade that closes it, from a script at once and without
// preparing the screen; unknown names open the console; numbers need debug mode.
TEST(ModeCommand, NamesNumbersAndUnknownWordsFromTheConsoleOrAScript) {
  // clang-format off
  struct Case { const char* args; int debug; bool fromScript; int state, open, presented; } cases[] = {
      {"menu", 0, true, kStateMenu, 1, 0}, {"EndRound", 0, true, kStateEndRound, 1, 0},
      {"net_lan_manual", 0, true, kStateNetLanManual, 1, 0}, {"wtf", 0, true, kStateWtf, 1, 0},
      {"NET_Choose", 0, false, kStateNetChoose, 0, 12}, {"", 0, false, kStateEmpty, 1, 0},
      {"net_", 0, false, kStateEmpty, 1, 0}, {"menu ", 0, false, kStateEmpty, 1, 0},
      {"3", 0, false, kStateEmpty, 1, 0}, {"666", 1, true, kStateHell, 1, 0},
      {"22x", 1, true, kStateConnectionLost, 1, 0}, {"0", 1, true, kStateEmpty, 1, 0},
      {"Menu", 1, true, kStateMenu, 1, 0}};
  // clang-format on
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "'" << k.args << "' debug " << k.debug << " script " << k.fromScript);
    SpineClient c;
    c.client.frame.gameState = kStateEmpty;
    c.client.frame.debugMode = k.debug;
    c.client.round.trailImage.Clear(0x0000FF);
    c.client.consoleOpen = 1;
    EXPECT_EQ(ModeCommand(c.client, k.args, k.fromScript), 1);
    c.Settle();
    EXPECT_EQ(c.State(), k.state);
    EXPECT_EQ(c.client.consoleOpen, k.open);
    EXPECT_EQ(c.display.presented, k.presented);
    if (k.fromScript) {
      EXPECT_EQ(c.client.round.trailImage.Pixel(100, 100), 0x0000FFu) << "no preparation";
    }
  }
}

TEST(MenuStep, StartsOnlyWithEnoughParticipantsByKeyOrButton) {
  for (auto [slots, bots, starts] : {std::tuple{1, 0, false}, {0, 5, false}, {1, 1, true}, {2, 0, true}}) {
    for (bool byButton : {false, true}) {
      SpineClient c;
      for (int i = 0; i < slots; ++i) c.client.round.players[i].active = 1;
      c.client.round.botCount = bots;
      byButton ? c.Click(300, 525) : c.Tap(scan::kSpace);
      EXPECT_EQ(c.State() == kStateStart, starts) << slots << " slots, " << bots << " bots";
    }
  }
}

TEST(MenuStep, ClicksAndKeysToggleOncePerPress) {
  SpineClient c;
  auto& players = c.client.round.players;
  c.Click(195, 135);  // the corner of slot 0's box
  c.Click(215, 215);  // just right of slot 2's
  EXPECT_EQ(players[0].active + 2 * players[2].active, 1);
  // Slot 7: C switches it on, V off; a held key acts once.
  c.input.SetKey(scan::kC, true), c.Frame();
  c.Click(205, 135 + 7 * 40 + 5);
  EXPECT_EQ(players[7].active, 0) << "a held C must not switch the slot on again";
  // A held button toggles once.
  c.input.MoveMouse(200, 460);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frames(5);
  EXPECT_EQ(c.client.round.confusionOption, 0);
}

TEST(MenuStep, PageKeysRepeatEveryHundredMillisecondsWithinTheBotLimits) {
  SpineClient c;
  int& bots = c.client.round.botCount;
  bots = kMaxBots - 2;
  c.input.SetKey(scan::kPageUp, true);
  c.Frame();
  c.clock.Advance(99);  // 100 ms since the step
  c.Frame();
  EXPECT_EQ(bots, kMaxBots - 1);
  c.Frame();  // 101 ms
  EXPECT_EQ(bots, kMaxBots);
  for (int i = 0; i < 4; ++i) c.Frame(), c.clock.Advance(150);
  EXPECT_EQ(bots, kMaxBots);
  c.input.SetKey(scan::kPageUp, false), c.input.SetKey(scan::kPageDown, true);
  bots = 2;
  for (int i = 0; i < 4; ++i) c.Frame(), c.clock.Advance(150);
  EXPECT_EQ(bots, 0);
}

TEST(UpdateFrame, OneEscapeLatchForAllScreensAndTheConsole) {
  SpineClient c;
  c.client.frame.gameState = kStateNetChoose;
  c.input.SetKey(scan::kEscape, true);
  c.Frames(3);
  EXPECT_EQ(c.State(), kStateMenu);
  EXPECT_FALSE(c.client.frame.quit) << "the press that left net_choose also ended the program";
  c.input.SetKey(scan::kEscape, false), c.Frame();
  c.client.consoleOpen = 1;
  c.Tap(scan::kEscape);
  EXPECT_EQ(c.client.consoleOpen, 0);
  EXPECT_FALSE(c.client.frame.quit) << "the press that closed the console";
  c.Tap(scan::kEscape);
  EXPECT_TRUE(c.client.frame.quit);

  // Fail screens go back on Space, Escape or Enter and latch Escape all the same.
  SpineClient f;
  f.client.frame.gameState = kStateConnectionLost;
  f.input.SetKey(scan::kEnter, true);
  f.Frame();
  EXPECT_EQ(f.client.frame.escapeLatch, 1);
  EXPECT_EQ(f.State(), kStateNetChoose);
}

TEST(UpdateFrame, OpenConsoleOrLostFocusFreezesTheScreen) {
  SpineClient c;
  c.client.consoleOpen = 1;
  c.input.SetKey(scan::kSpace, true), c.input.SetKey(scan::kPageUp, true);
  c.client.round.players[0].active = c.client.round.players[1].active = 1;
  c.Click(200, 460);
  EXPECT_EQ(c.State(), kStateMenu);
  EXPECT_EQ(c.client.round.botCount, 0);
  EXPECT_EQ(c.client.round.confusionOption, 1);
  c.client.consoleOpen = 0, c.Frame();
  EXPECT_EQ(c.State(), kStateStart);

  SpineClient f;  // without focus only in full screen
  f.display.focus = false;
  f.input.SetKey(scan::kEnter, true);
  f.client.config.fullScreenMode = 1;
  f.Frames(2);
  EXPECT_EQ(f.State(), kStateMenu);
  f.client.config.fullScreenMode = 0, f.Frame();
  EXPECT_EQ(f.State(), kStateNetChoose);
}

TEST(UpdateFrame, CtrlFSwitchesOncePerPressBackToTheConfiguredPlace) {
  SpineClient c;
  c.client.config.windowX = 33;
  c.display.windowX = 500;  // the window was moved since start-up
  int opens = c.display.opens;
  c.input.SetKey(scan::kRightCtrl, true), c.input.SetKey(scan::kF, true);
  c.Frames(3);
  EXPECT_EQ(c.display.opens, opens + 1);
  EXPECT_TRUE(c.display.fullScreen && c.client.config.fullScreenMode);
  c.input.SetKey(scan::kF, false), c.Frame();
  c.Tap(scan::kF);
  EXPECT_FALSE(c.display.fullScreen || c.client.config.fullScreenMode);
  EXPECT_EQ(c.display.windowX, 33);
}

TEST(UpdateFrame, ScreensLeadWhereTheirKeysAndButtonsSay) {
  struct Case {
    int from, key, x, y, to;  // a key, or a click at (x, y)
  };
  // clang-format off
  const Case cases[] = {
      {kStateMenu, scan::kEnter, 0, 0, kStateNetChoose}, {kStateNetChoose, scan::kF2, 0, 0, kStateNetLan},
      {kStateNetChoose, 0, 316, 121, kStateNetWeb},
      {kStateNetChoose, 0, 315, 171, kStateNetChoose},  // the face's own edge
      {kStateHell, scan::kEscape, 0, 0, kStateMenu},
      // The banner leads back, except from the menu and the empty screen.
      {kStateMenu, 0, 690, 108, kStateMenu}, {kStateNetChoose, 0, 100, 28, kStateMenu},
      {kStateNetWeb, 0, 690, 108, kStateNetChoose}, {kStateEmpty, 0, 690, 108, kStateEmpty},
      {kStateNetLan, 0, 691, 108, kStateNetLan}, {kStateNetLan, scan::kF1, 0, 0, kStateNetLanManual},
      {kStateNetLan, 0, 415, 530, kStateNetLanManual}, {kStateNetWeb, scan::kF1, 0, 0, kStateNetWeb},
      {kStateNetLan, scan::kEscape, 0, 0, kStateNetChoose},
      {kStateNetWeb, scan::kEscape, 0, 0, kStateNetChoose}};
  // clang-format on
  for (const Case& k : cases) {
    SpineClient c;
    c.client.frame.gameState = k.from;
    if (k.key)
      c.Tap(k.key);
    else
      c.Click(k.x, k.y);
    EXPECT_EQ(c.State(), k.to) << k.from << " " << k.key << " " << k.x << "," << k.y;
    EXPECT_TRUE(c.openedUrls.empty());
  }
}

TEST(Banner, TheSiteLinkOpensOncePerClick) {
  SpineClient c;
  c.input.MoveMouse(800, 600);  // held: opens once; the corner is on the link
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frames(3);
  c.input.SetVirtualKey(vk::kLeftButton, false);
  c.Frame();
  ASSERT_EQ(c.openedUrls.size(), 1u);
  EXPECT_EQ(c.openedUrls[0].rfind("https://", 0), 0u);
  c.client.frame.gameState = kStateWtf;  // no link without the bottom bar
  c.Click(750, 590);
  EXPECT_EQ(c.openedUrls.size(), 1u);
}

}  // namespace
}  // namespace kb
