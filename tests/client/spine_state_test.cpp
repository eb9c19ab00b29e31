#include <gtest/gtest.h>

#include "client/core/mouse.h"
#include "client/core/state_steps.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

// A display that notes the overlay level of every frame it is shown.
class FadeRecorder final : public Display {
 public:
  explicit FadeRecorder(const Client*& client) : client_(client) {}
  bool Open(bool, int, int) override { return true; }
  void Close() override {}
  void Present(const Image&) override { levels.push_back(client_->frame.fadeLevel); }
  bool WindowPosition(int& x, int& y) const override { return x = 0, y = 0, true; }
  void DesktopSize(int& w, int& h) const override { w = 1024, h = 768; }
  bool HasFocus() const override { return true; }
  bool TakeCloseRequest() override { return false; }
  std::vector<int> levels;

 private:
  const Client*& client_;
};

struct FadeClient {
  const Client* self = nullptr;
  ManualClock clock;
  Random random{1};
  FakeInput input;
  FadeRecorder display{self};
  Client client{clock, random, input, display};
  FadeClient() { self = &client; }
};

TEST(SetGameState, FadesOutAndInWithSixFramesEach) {
  FadeClient c;
  c.client.frame.gameState = kStateMenu;
  int64_t before = c.clock.Now();
  SetGameState(c.client, kStateStart);
  EXPECT_EQ(c.display.levels, (std::vector<int>{0, 50, 100, 150, 200, 250, 255, 205, 155, 105, 55, 5}));
  // About one display refresh per frame, so that the fade can be seen.
  EXPECT_GE(c.clock.Now() - before, 12 * 15);
  EXPECT_LE(c.clock.Now() - before, 12 * 17);
  EXPECT_EQ(c.client.frame.fadeLevel, 5);
  EXPECT_EQ(c.client.frame.gameState, kStateStart);
}

TEST(SetGameState, ChangesAmongRoundStatesNeverFade) {
  FadeClient c;
  c.client.frame.fadeLevel = 5;
  for (int from : {kStateStart, kStateGame, kStateEndRound}) {
    c.client.frame.gameState = from;
    SetGameState(c.client, kStateStart);
    SetGameState(c.client, kStateGame);
  }
  // Leaving a round for the menu does not fade either.
  c.client.frame.gameState = kStateGame;
  SetGameState(c.client, kStateMenu);
  EXPECT_TRUE(c.display.levels.empty());
  EXPECT_EQ(c.client.frame.fadeLevel, 5);
}

TEST(SetGameState, ConnectingDoesNotFadeButLeavingTheRoundScreenDoes) {
  FadeClient c;
  c.client.frame.gameState = kStateNetWeb;
  c.client.frame.fadeLevel = 5;
  SetGameState(c.client, kStateNetConnect);
  EXPECT_TRUE(c.display.levels.empty());
  EXPECT_EQ(c.client.frame.gameState, kStateNetConnect);
  // The end screen is not a round state: it fades like the menus.
  c.client.frame.gameState = kStateEnd;
  SetGameState(c.client, kStateMenu);
  EXPECT_EQ(c.display.levels.size(), 12u);
}

TEST(SetGameState, WithoutFadeDrawsNothingButEndsAtTheSameLevel) {
  FadeClient c;
  c.client.frame.gameState = kStateMenu;
  c.client.textObjects.emplace_back();
  int64_t before = c.clock.Now();
  SetGameState(c.client, kStateWtf, true);
  EXPECT_TRUE(c.display.levels.empty());
  EXPECT_EQ(c.clock.Now(), before);
  EXPECT_EQ(c.client.frame.fadeLevel, 5);
  EXPECT_EQ(c.client.frame.gameState, kStateWtf);
  EXPECT_TRUE(c.client.textObjects.empty());
}

TEST(SetGameState, EnteringTheMenuZeroesTheBots) {
  SpineClient c;
  for (int from : {kStateNetChoose, kStateEnd, kStateGame, kStateMenu}) {
    c.client.frame.gameState = from;
    c.client.round.botCount = 4;
    c.client.round.botList.resize(4);
    SetGameState(c.client, kStateMenu, true);
    EXPECT_EQ(c.client.round.botCount, 0) << from;
    EXPECT_TRUE(c.client.round.botList.empty()) << from;
  }
  c.client.round.botCount = 3;
  SetGameState(c.client, kStateNetChoose, true);
  EXPECT_EQ(c.client.round.botCount, 3);
}

TEST(MenuStep, StartsOnlyWithEnoughParticipants) {
  struct Case {
    int slots, bots;
    bool starts;
  };
  for (Case k : {Case{0, 0, false}, Case{1, 0, false}, Case{0, 2, false}, Case{0, 5, false}, Case{1, 1, true},
                 Case{2, 0, true}, Case{3, 2, true}}) {
    SpineClient c;
    for (int i = 0; i < k.slots; ++i) c.client.round.players[i].active = 1;
    c.client.round.botCount = k.bots;
    c.client.round.trailImage.Clear(0x123456);
    c.input.SetKey(scan::kSpace, true);
    c.Frame();
    EXPECT_EQ(c.State() == kStateStart, k.starts) << k.slots << " slots, " << k.bots << " bots";
    EXPECT_EQ(c.client.round.trailImage.Pixel(7, 7) == 0, k.starts);
  }
}

TEST(MenuStep, StartButtonActsOnlyWhenEnabled) {
  SpineClient c;
  c.client.round.players[0].active = 1;
  c.input.MoveMouse(300, 525);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frames(3);
  EXPECT_EQ(c.State(), kStateMenu);
  c.client.round.players[5].active = 1;
  c.Frame();
  EXPECT_EQ(c.State(), kStateStart);
}

TEST(MenuStep, SlotsFollowClicksAndTheirOwnKeys) {
  SpineClient c;
  auto& players = c.client.round.players;
  c.Click(195, 135);        // top-left corner of slot 0's box
  c.Click(214, 154 + 40);   // bottom-right corner of slot 1's box
  c.Click(215, 135 + 80);   // just right of slot 2's box
  c.Click(200, 155 + 120);  // just below slot 3's box: the gap before slot 4
  EXPECT_EQ(players[0].active, 1);
  EXPECT_EQ(players[1].active, 1);
  EXPECT_EQ(players[2].active, 0);
  EXPECT_EQ(players[3].active, 0);
  EXPECT_EQ(players[4].active, 0);
  c.Click(205, 140);
  EXPECT_EQ(players[0].active, 0);

  // Slot 7: C switches it on, V off; a held key acts once.
  c.input.SetKey(scan::kC, true);
  c.Frame();
  EXPECT_EQ(players[7].active, 1);
  c.Click(205, 135 + 7 * 40 + 5);
  EXPECT_EQ(players[7].active, 0) << "a held C must not switch the slot on again";
  c.input.SetKey(scan::kC, false);
  c.Tap(scan::kV);
  EXPECT_EQ(players[7].active, 0);
  c.Tap(scan::kC);
  EXPECT_EQ(players[7].active, 1);
  c.Tap(scan::kV);
  EXPECT_EQ(players[7].active, 0);
  // The mouse slot has no keys: nothing else switched it on.
  EXPECT_EQ(players[6].active, 0);
}

TEST(MenuStep, HeldButtonTogglesOnceAndDraggingDoesNotToggle) {
  SpineClient c;
  auto& round = c.client.round;
  c.input.MoveMouse(200, 460);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frames(5);
  EXPECT_EQ(round.confusionOption, 0);
  c.input.MoveMouse(400, 460);  // dragged onto the other box
  c.Frames(2);
  EXPECT_EQ(round.upgradesOption, 1);
  c.input.SetVirtualKey(vk::kLeftButton, false);
  c.Frame();
  c.Click(414, 474);
  EXPECT_EQ(round.upgradesOption, 0);
  c.Click(200, 475);  // one row below the boxes
  EXPECT_EQ(round.confusionOption, 0);
  c.Click(200, 455);
  EXPECT_EQ(round.confusionOption, 1);
}

TEST(MenuStep, PageKeysRepeatEveryHundredMilliseconds) {
  SpineClient c;
  auto& round = c.client.round;
  c.input.SetKey(scan::kPageUp, true);
  c.Frame();
  EXPECT_EQ(round.botCount, 1);
  c.clock.Advance(99);  // 100 ms since the step
  c.Frame();
  EXPECT_EQ(round.botCount, 1);
  c.Frame();  // 101 ms
  EXPECT_EQ(round.botCount, 2);
  c.input.SetKey(scan::kPageUp, false);
  c.Frame();
  c.Tap(scan::kPageUp);  // a new press steps at once
  EXPECT_EQ(round.botCount, 3);

  c.input.SetKey(scan::kPageDown, true);
  for (int i = 0; i < 6; ++i) {
    c.Frame();
    c.clock.Advance(150);
  }
  EXPECT_EQ(round.botCount, 0);
}

TEST(MenuStep, EnterAndTheMultiplayerButtonOpenTheNetworkChoice) {
  SpineClient c;
  c.input.SetKey(scan::kEnter, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetChoose);
  c.input.SetKey(scan::kEnter, false);
  c.Tap(scan::kEscape);
  EXPECT_EQ(c.State(), kStateMenu);

  c.input.MoveMouse(406, 506);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetChoose);
  c.input.SetVirtualKey(vk::kLeftButton, false);
  c.Frame();
  // Held Enter does not come back through the menu: the latch is shared.
  c.Tap(scan::kEscape);
  c.input.SetKey(scan::kEnter, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetChoose);
}

TEST(MenuStep, EscapeEndsTheProgramOnlyOnAFreshPress) {
  SpineClient c;
  c.client.frame.gameState = kStateWtf;
  c.input.SetKey(scan::kEscape, true);
  c.Frames(4);
  EXPECT_EQ(c.State(), kStateMenu);
  EXPECT_FALSE(c.client.frame.quit) << "the press that left wtf also ended the program";
  c.input.SetKey(scan::kEscape, false);
  c.Frame();
  c.input.SetKey(scan::kEscape, true);
  c.Frame();
  EXPECT_TRUE(c.client.frame.quit);
}

TEST(UpdateFrame, OpenConsoleFreezesTheMenu) {
  SpineClient c;
  c.client.console.isOpen = 1;
  c.input.SetKey(scan::kSpace, true);
  c.input.SetKey(scan::kPageUp, true);
  c.input.SetKey(scan::kC, true);
  c.client.round.players[0].active = c.client.round.players[1].active = 1;
  c.Frame();
  c.Click(200, 460);
  EXPECT_EQ(c.State(), kStateMenu);
  EXPECT_EQ(c.client.round.botCount, 0);
  EXPECT_EQ(c.client.round.players[7].active, 0);
  EXPECT_EQ(c.client.round.confusionOption, 1);
  c.client.console.isOpen = 0;
  c.Frame();
  EXPECT_EQ(c.State(), kStateStart);
}

TEST(UpdateFrame, EscapeThatClosesTheConsoleDoesNotEndTheProgram) {
  SpineClient c;
  c.client.console.isOpen = 1;
  c.input.SetKey(scan::kEscape, true);
  c.Frames(3);
  EXPECT_EQ(c.client.console.isOpen, 0);
  EXPECT_FALSE(c.client.frame.quit);
  c.input.SetKey(scan::kEscape, false);
  c.Frame();
  c.Tap(scan::kEscape);
  EXPECT_TRUE(c.client.frame.quit);
}

TEST(UpdateFrame, FullScreenWithoutFocusFreezesEverything) {
  SpineClient c;
  c.client.config.fullScreenMode = 1;
  c.display.focus = false;
  c.input.SetKey(scan::kEnter, true);
  c.Frames(2);
  EXPECT_EQ(c.State(), kStateMenu);
  c.display.focus = true;
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetChoose);
}

TEST(UpdateFrame, CtrlFSwitchesOncePerPress) {
  SpineClient c;
  c.client.config.windowX = 33;
  c.client.config.windowY = 44;
  c.display.windowX = 500;  // the window was moved since start-up
  int opens = c.display.opens;
  c.input.SetKey(scan::kRightCtrl, true);
  c.input.SetKey(scan::kF, true);
  c.Frames(3);
  EXPECT_EQ(c.display.opens, opens + 1);
  EXPECT_TRUE(c.display.fullScreen);
  EXPECT_EQ(c.client.config.fullScreenMode, 1);
  c.input.SetKey(scan::kF, false);
  c.Frame();
  c.Tap(scan::kF);
  EXPECT_EQ(c.client.config.fullScreenMode, 0);
  EXPECT_FALSE(c.display.fullScreen);
  // Back at the configured position, not where the window was.
  EXPECT_EQ(c.display.windowX, 33);
  EXPECT_EQ(c.display.windowY, 44);
  // F alone (slot 7's use key) or Ctrl alone switches nothing.
  c.input.SetKey(scan::kRightCtrl, false);
  c.Tap(scan::kF);
  EXPECT_EQ(c.display.opens, opens + 2);
}

TEST(UpdateFrame, DisplayThatCannotReopenEndsWithTheWindowError) {
  SpineClient c;
  c.display.failOpen = true;
  c.input.SetKey(scan::kLeftCtrl, true);
  c.input.SetKey(scan::kF, true);
  c.Frame();
  EXPECT_TRUE(c.client.frame.quit);
  EXPECT_EQ(c.client.frame.fatalError,
            "Es konnte kein Fenster ge\xF6"
            "ffnet werden.");
  EXPECT_EQ(c.client.config.fullScreenMode, 0);
}

TEST(NetChoose, KeysAndButtonsLeadToTheListScreens) {
  SpineClient c;
  c.client.frame.gameState = kStateNetChoose;
  c.input.SetKey(scan::kF1, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetWeb);
  c.input.SetKey(scan::kF1, false);

  c.client.frame.gameState = kStateNetChoose;
  c.input.SetKey(scan::kF2, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetLan);
  c.input.SetKey(scan::kF2, false);

  c.client.frame.gameState = kStateNetChoose;
  c.input.MoveMouse(316, 121);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetWeb);
  c.input.SetVirtualKey(vk::kLeftButton, false);
  c.Frame();

  // The face's own edge is not on the button.
  c.client.frame.gameState = kStateNetChoose;
  c.input.MoveMouse(315, 171);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetChoose);
  c.input.MoveMouse(484, 211);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNetLan);
}

TEST(FailScreens, AnyOfSpaceEscapeEnterLeadBackWithTheEscapeLatchSet) {
  for (int key : {scan::kSpace, scan::kEscape, scan::kEnter}) {
    for (int state : {kStateNetFail, kStateConnectionLost}) {
      SpineClient c;
      c.client.frame.gameState = state;
      c.input.SetKey(key, true);
      c.Frame();
      EXPECT_EQ(c.State(), kStateNetChoose);
      EXPECT_EQ(c.client.frame.escapeLatch, 1);
      c.Frames(2);
      EXPECT_EQ(c.State(), kStateNetChoose);
    }
  }
}

TEST(PictureScreens, EscapeReturnsToTheMenu) {
  for (int state : {kStateWtf, kStateEmpty, kStateHell}) {
    SpineClient c;
    c.client.frame.gameState = state;
    c.Tap(scan::kSpace);
    EXPECT_EQ(c.State(), state);
    c.Tap(scan::kEscape);
    EXPECT_EQ(c.State(), kStateMenu);
    EXPECT_FALSE(c.client.frame.quit);
  }
}

TEST(Banner, GlowsUnderTheMouseWithinBounds) {
  SpineClient c;
  c.input.MoveMouse(100, 28);  // the rectangle includes its edges
  c.Frame();
  EXPECT_EQ(c.client.frame.bannerGlow, 20);
  c.Frames(20);
  EXPECT_EQ(c.client.frame.bannerGlow, 255);
  c.input.MoveMouse(691, 60);
  c.Frame();
  EXPECT_EQ(c.client.frame.bannerGlow, 235);
  c.Frames(20);
  EXPECT_EQ(c.client.frame.bannerGlow, 0);
  // No banner in a round: the glow stays.
  c.input.MoveMouse(300, 60);
  c.client.frame.gameState = kStateGame;
  c.Frames(3);
  EXPECT_EQ(c.client.frame.bannerGlow, 0);
}

TEST(Banner, ClickLeadsBackExceptInTheMenu) {
  struct Case {
    int from, to;
  };
  for (Case k : {Case{kStateMenu, kStateMenu}, Case{kStateNetChoose, kStateMenu}, Case{kStateWtf, kStateMenu},
                 Case{kStateNetWeb, kStateNetChoose}, Case{kStateNetLan, kStateNetChoose},
                 Case{kStateNetLanManual, kStateNetChoose}, Case{kStateEmpty, kStateEmpty}}) {
    SpineClient c;
    c.client.frame.gameState = k.from;
    c.Click(690, 108);
    EXPECT_EQ(c.State(), k.to) << "from " << k.from;
    EXPECT_TRUE(c.openedUrls.empty());
  }
}

TEST(Banner, SiteLinkOpensTheSiteOncePerClick) {
  SpineClient c;
  c.input.MoveMouse(700, 580);
  c.input.SetVirtualKey(vk::kLeftButton, true);
  c.Frames(3);
  c.input.SetVirtualKey(vk::kLeftButton, false);
  c.Frame();
  ASSERT_EQ(c.openedUrls.size(), 1u);
  EXPECT_EQ(c.openedUrls[0].rfind("https://", 0), 0u);
  c.Click(699, 590);
  c.client.frame.gameState = kStateWtf;
  c.Click(750, 590);
  c.client.frame.gameState = kStateNetLan;
  c.Click(800, 600);
  EXPECT_EQ(c.openedUrls.size(), 2u);
}

TEST(MouseTargets, ButtonFaceIsStrictRectIsInclusive) {
  SpineClient c;
  auto at = [&](int x, int y) {
    c.client.frame.mouseX = x;
    c.client.frame.mouseY = y;
  };
  at(225, 506);
  EXPECT_FALSE(MouseInButton(c.client, 225, 505));
  at(226, 506);
  EXPECT_TRUE(MouseInButton(c.client, 225, 505));
  at(394, 546);
  EXPECT_TRUE(MouseInButton(c.client, 225, 505));
  at(395, 546);
  EXPECT_FALSE(MouseInButton(c.client, 225, 505));
  at(394, 547);
  EXPECT_FALSE(MouseInButton(c.client, 225, 505));
  at(800, 600);
  EXPECT_TRUE(MouseInRect(c.client, 700, 580, 100, 20));
  at(801, 600);
  EXPECT_FALSE(MouseInRect(c.client, 700, 580, 100, 20));
}

}  // namespace
}  // namespace kb
