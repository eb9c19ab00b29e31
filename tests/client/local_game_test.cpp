#include "client/core/local_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>

#include "client/core/bots.h"
#include "client/core/items.h"
#include "client/core/round_steps.h"
#include "client/core/scoring.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

// A local game on the manual clock with keys and colours for every slot.
class LocalGameTest : public ::testing::Test {
 protected:
  static constexpr int kLeft[kPlayerSlots] = {0x10, 0x1E, 0x2C, 0x13, 0x20, 0x2E, 0, 0x17};
  static constexpr int kUse[kPlayerSlots] = {0x12, 0x30, 0x31, 0x15, 0x22, 0x32, 0, 0x99};

  LocalGameTest() {
    for (int i = 0; i < kPlayerSlots; ++i) {
      slot(i).leftKey = kLeft[i], slot(i).rightKey = kLeft[i] ? kLeft[i] + 1 : 0;
      slot(i).useKey = kUse[i];
      round().playerColours[i] = Rgb(40 + 25 * i, 200 - 20 * i, 60 + 10 * i);
    }
  }
  RoundState& round() { return t.client.round; }
  PlayerRecord& slot(int i) { return round().players[i]; }
  int64_t now() { return t.clock.Now(); }
  int state() { return t.client.frame.gameState; }
  void SetState(int s) { t.client.frame.gameState = s; }

  // Slots 0..n-1 and `bots` bots in state game, no item or confusion pending.
  void StartGame(int slots, int bots = 0) {
    for (int i = 0; i < kPlayerSlots; ++i) slot(i).active = i < slots;
    round().botCount = bots;
    NewGame(t.client);
    SetState(kStateGame);
    round().upgradesOption = round().confusionOption = 0;
    round().itemVanish = round().confusionEnd = 0;
    round().trailImage.Clear(0);
  }
  // A head at a place and heading, with no gap for a long time.
  template <class Head>
  void Place(Head& head, int x, int y, float heading) {
    head.x = head.prevX = x, head.y = head.prevY = y;
    head.heading = heading;
    head.gapStart = 0, head.gapNext = now() + 1000000;
  }
  void Frame() { UpdateFrame(t.client), t.Settle(); }
  void StepFrame(int64_t ms) { t.clock.Advance(ms), Frame(); }
  void Key(int code, bool down) { t.input.SetKey(code, down); }
  void Press(int code) { Key(code, true), Frame(), Key(code, false); }  // up again after one frame

  TestClient t;
};

using LocalRound = LocalGameTest;

TEST_F(LocalRound, ASlowFrameStepsOnceAndPauseFreezesHeadsWhileTimersRun) {
  StartGame(2);
  Place(slot(0), 400, 300, 0.5f);
  Place(slot(1), 400, 100, 0.5f);
  Key(kLeft[0], true);
  Frame();
  StepFrame(1000);
  EXPECT_FLOAT_EQ(slot(0).heading, 352.5f);
  EXPECT_EQ(slot(0).x, 410);
  round().upgradesOption = 1;
  Key(scan::kRightCtrl, true), Key(scan::kP, true);
  StepFrame(100);
  Frame();  // held: toggles once
  EXPECT_EQ(round().paused, 1);
  int64_t itemVanish = round().itemVanish;
  for (int i = 0; i < 300; ++i) StepFrame(100);  // 30 s: longer than any item period
  EXPECT_EQ(slot(0).x, 410);
  EXPECT_FLOAT_EQ(slot(0).heading, 352.5f);
  EXPECT_NE(round().itemVanish, itemVanish);  // the item cycled meanwhile
  slot(1).dead = 1;
  Frame();
  EXPECT_EQ(state(), kStateEndRound);  // round end is tested while paused
}

// Slots draw in order, then bots; each death pays everyone still alive; a dying head draws its last segment.
TEST_F(LocalRound, HeadOnTheLowerSlotDrawsFirstAndEachDeathPaysTheSurvivors) {
  StartGame(3, 2);
  Place(slot(0), 100, 300, 0.5f);    // to the right...
  Place(slot(1), 110, 300, 180.5f);  // ...meets this one head-on at x = 105
  Place(slot(2), 102, 307, 270.5f);  // and this one runs up into slot 0's new segment
  BotRecord& bot = round().botList[0];
  Place(bot, 400, 300, 0.5f);  // moves right by 5 onto the wall
  Place(round().botList[1], 400, 500, 180.5f);
  round().trailImage.FillBox(405, 290, 3, 20, Rgb(1, 2, 3));
  for (BotRecord& b : round().botList) b.nextWander = now() + 100000;
  t.clock.Advance(51);
  MovementStep(t.client);
  // Slot 1 pays slots 0 and 2 and both bots; slot 2 then slot 0 and the bots; the first bot slot 0 and the
  // other.
  for (auto [i, dead, score] : {std::tuple{0, 0, 3}, {1, 1, 0}, {2, 1, 1}}) {
    EXPECT_EQ(slot(i).dead, dead) << i;
    EXPECT_EQ(slot(i).score, score) << i;
  }
  EXPECT_EQ(std::pair(bot.dead, bot.score), std::pair(1, 2)) << "dead, score";
  EXPECT_EQ(std::pair(round().botList[1].dead, round().botList[1].score), std::pair(0, 3)) << "dead, score";
  EXPECT_EQ(round().trailImage.Pixel(402, 300), bot.colour);
}

TEST_F(LocalRound, GapLeavesAHoleAnotherHeadPassesThrough) {
  StartGame(3);
  Place(slot(0), 100, 200, 0.5f);
  Place(slot(1), 600, 500, 0.5f);
  Place(slot(2), 50, 500, 0.5f);
  slot(0).gapNext = now() + 51 * 5;  // the gap begins at the fifth step
  auto steps = [&](int n) {
    for (int i = 0; i < n; ++i) t.clock.Advance(51), MovementStep(t.client);
  };
  steps(12);
  const Image& trail = round().trailImage;
  // Steps 5 to 8 (at gapNext, up to gapStart + 175 ms) draw nothing.
  EXPECT_EQ(trail.Pixel(122, 200), round().playerColours[0]);
  for (int x = 123; x <= 136; ++x) EXPECT_EQ(trail.Pixel(x, 200), 0u) << x;
  EXPECT_EQ(trail.Pixel(137, 200), round().playerColours[0]);
  Place(slot(1), 130, 180, 90.5f);  // straight down through the hole
  Place(slot(2), 150, 180, 90.5f);  // and beside it
  steps(8);
  EXPECT_EQ(slot(1).dead, 0);
  EXPECT_EQ(slot(2).dead, 1);
}

// Space after a round: the next one keeps scores and items and starts a second later, until someone reaches
// the goal of ten per opponent; the last to reach it wins.
TEST_F(LocalRound, NextRoundsKeepScoresUntilTheLastToReachTenPerOpponentWins) {
  StartGame(8);
  EXPECT_EQ(GoalScore(t.client.round), 70);
  StartGame(2, 3);
  EXPECT_EQ(GoalScore(t.client.round), 40);
  slot(0).dead = round().botList[0].dead = 1;
  slot(0).score = 3, slot(0).item = 2;
  SetState(kStateEndRound);
  Press(scan::kSpace);
  EXPECT_EQ(state(), kStateStart);
  EXPECT_EQ(slot(0).dead + round().botList[0].dead, 0);
  EXPECT_EQ(std::pair(slot(0).score, slot(0).item), std::pair(3, 2)) << "score, item kept";
  StepFrame(1000);
  EXPECT_EQ(state(), kStateStart);
  StepFrame(1);
  EXPECT_EQ(state(), kStateGame);
  SetState(kStateEndRound);
  slot(0).score = 39, round().botList[2].score = 40, slot(1).score = 40;
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateEnd);
  EXPECT_EQ(round().winnerColour, round().playerColours[1]);  // bots first, then slots
  ASSERT_EQ(round().scoreList.size(), 5u);
  EXPECT_EQ(round().scoreList[1].colour, round().botList[2].colour);
  EXPECT_EQ(round().scoreList[2].score, 39);
  Frame();
  EXPECT_EQ(state(), kStateEnd);  // the Space still held does not leave the table at once
  Key(scan::kSpace, false), Frame();
  Key(scan::kSpace, true), Frame();
  EXPECT_EQ(state(), kStateMenu);
  EXPECT_EQ(slot(1).active + slot(1).score + round().botCount + round().botList.size(), 0u);
}

using LocalRules = LocalGameTest;

TEST_F(LocalRules, EscapeLeavesEveryRoundStateAndNoPauseCarriesOver) {
  for (int from : {kStateStart, kStateGame, kStateEndRound}) {
    StartGame(3);
    slot(0).score = 4, round().paused = 1;
    SetState(from);
    Press(scan::kEscape);
    EXPECT_EQ(state(), kStateMenu) << from;
    EXPECT_EQ(round().paused, 0) << from;
    EXPECT_EQ(slot(0).active + slot(0).score, 0) << from;
    Frame();
  }
  // A pause switched on in the menu (console "pause 1") does not start the next game paused.
  SetState(kStateMenu);
  slot(0).active = slot(1).active = 1, round().paused = 1;
  Press(scan::kSpace);
  EXPECT_EQ(state(), kStateStart);
  EXPECT_EQ(round().paused, 0);
}

// Ctrl+P and Ctrl+F share their letters with slot keys: a held Ctrl turns every slot key off. Slot 6 has no
// keys: the mouse buttons steer and use.
TEST_F(LocalRules, WhichInputsSteerOrUseAnItem) {
  struct Case {
    int slot, ctrl, key, button;  // key: 0 left, 1 right, 2 use, -1 none
    float heading;
    bool used;
  };
  // clang-format off
  const Case cases[] = {{7, 0, 0, 0, 86.5f, false}, {7, 0, 1, 0, 94.5f, false}, {7, 0, 2, 0, 90.5f, true},
                        {7, scan::kLeftCtrl, 0, 0, 90.5f, false}, {7, scan::kRightCtrl, 2, 0, 90.5f, false},
                        {kMouseSlot, 0, -1, vk::kLeftButton, 86.5f, false},
                        {kMouseSlot, 0, -1, vk::kRightButton, 94.5f, false},
                        {kMouseSlot, 0, -1, vk::kMiddleButton, 90.5f, true}};
  // clang-format on
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.slot << " " << k.ctrl << " " << k.key << " " << k.button);
    StartGame(8);
    for (int i = 0; i < kPlayerSlots; ++i) Place(slot(i), 100 + 80 * i, 300, 90.5f);
    slot(7).useKey = scan::kF;
    slot(k.slot).item = 1, slot(k.slot).itemStart = 0;
    t.input.ReleaseAll();
    if (k.ctrl) Key(k.ctrl, true);
    if (k.key >= 0) Key(k.key == 0 ? slot(7).leftKey : k.key == 1 ? slot(7).rightKey : slot(7).useKey, true);
    t.input.Poll();
    if (k.button)  // the buttons are read by the frame
      t.input.SetVirtualKey(k.button, true), StepFrame(11);
    else
      SteeringStep(t.client);
    EXPECT_FLOAT_EQ(slot(k.slot).heading, k.heading);
    EXPECT_EQ(slot(k.slot).itemStart != 0, k.used);
    EXPECT_FLOAT_EQ(slot(0).heading, 90.5f);
  }
}

TEST_F(LocalRules, AnActiveItemKeepsItsTimeThroughUseAndCollecting) {
  StartGame(2);
  Place(slot(0), 300, 300, 0.5f);
  Place(slot(1), 300, 100, 0.5f);
  slot(0).item = 1;
  ActivateItem(round(), slot(0), now());
  int64_t started = now();
  t.clock.Advance(1000);
  ActivateItem(round(), slot(0), now());  // the use key again: no new period
  EXPECT_EQ(slot(0).itemStart, started);
  // Collecting another kind while one runs: the new kind inherits the time left.
  round().itemKind = 2;
  round().itemX = 290, round().itemY = 290;
  round().itemAppear = now() - 1, round().itemVanish = now() + 5000;
  UpdateHeldItem(round(), slot(0), now());
  EXPECT_EQ(slot(0).item, 2);
  EXPECT_EQ(slot(0).itemStart, started);
  t.clock.Set(started + kItemActiveMs + 1);
  UpdateHeldItem(round(), slot(0), now());
  EXPECT_EQ(slot(0).item, 0);
}

// Each event of a round queues its effect once, in the frame it happens; a next round that ends the game is
// heard as the game's end only; volume 0 queues nothing.
TEST_F(LocalRules, EventsQueueTheirSounds) {
  using E = SoundEffect;
  for (int volume : {kDefaultVolume, 0}) {
    StartGame(2);
    t.client.sound = SoundQueue{};
    t.client.sound.volume = volume;
    Place(slot(0), 300, 300, 0.5f);
    Place(slot(1), 300, 100, 0.5f);
    std::vector<std::vector<E>> heard;
    auto take = [&] { heard.push_back(TakeSounds(t.client.sound)); };
    SetGameState(t.client, kStateStart), take();
    StepFrame(1001), take();
    round().itemKind = 3, round().itemX = 290, round().itemY = 290;
    round().itemAppear = now() - 1, round().itemVanish = now() + 5000;
    StepFrame(11), take();
    Key(kUse[0], true), StepFrame(11), take();  // kind 3 confuses from the next millisecond
    Key(kUse[0], false), StepFrame(11), take();
    StepFrame(11), take();                   // still confused: no second sound
    slot(1).x = -10, StepFrame(11), take();  // the border ends the round
    slot(0).score = GoalScore(round());
    Press(scan::kSpace), take();
    EXPECT_EQ(state(), kStateEnd);
    std::vector<std::vector<E>> expected = {
        {E::kCountdownTick},          {E::kRoundStart}, {E::kItemPickup}, {E::kItemUse}, {E::kConfusion}, {},
        {E::kCrash, E::kRoundWinner}, {E::kGameWinner}};
    if (volume == 0) expected.assign(expected.size(), {});
    EXPECT_EQ(heard, expected) << volume;
  }
}

// Random draws stay inside their ranges and reach both ends of them; the confusing item and confusion periods
// belong to the confusion option.
TEST_F(LocalRules, ItemAndConfusionScheduleRanges) {
  RoundState& r = round();
  using Value = std::function<int64_t()>;
  const std::tuple<const char*, int, Value, int64_t, int64_t> ranges[] = {
      {"appear", 1, [&] { return r.itemAppear - now(); }, 500, 5000},
      {"shown", 1, [&] { return r.itemVanish - r.itemAppear; }, 10000, 20000},
      {"x", 1, [&] { return int64_t{r.itemX}; }, 25, 775},
      {"y", 1, [&] { return int64_t{r.itemY}; }, 25, 550},
      {"kind", 1, [&] { return int64_t{r.itemKind}; }, 1, 3},
      {"kind without confusion", 0, [&] { return int64_t{r.itemKind}; }, 1, 2},
      {"confusion start", 1, [&] { return r.confusionStart - now(); }, 1000, 30000},
      {"confusion length", 1, [&] { return r.confusionEnd - r.confusionStart; }, 2000, 5000},
      {"no confusion without the option", 0, [&] { return r.confusionEnd; }, 0, 0},
  };
  StartGame(2);
  r.upgradesOption = 1;
  for (const auto& [name, confusionOption, value, low, high] : ranges) {
    SCOPED_TRACE(name);
    r.confusionOption = confusionOption;
    r.confusionEnd = 0;
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (int i = 0; i < 4000; ++i) {
      ScheduleItem(r, t.random, now()), ScheduleConfusion(r, t.random, now());
      lo = std::min(lo, value()), hi = std::max(hi, value());
    }
    int64_t slack = (high - low) / 50;
    EXPECT_TRUE(lo >= low && lo <= low + slack) << lo;
    EXPECT_TRUE(hi <= high && hi >= high - slack) << hi;
  }
  // Confusion periods follow each other only after the last one ended.
  r.confusionOption = 1, r.confusionEnd = now() + 10;
  int64_t start = r.confusionStart;
  RescheduleTimers(r, t.random, now());
  EXPECT_EQ(r.confusionStart, start);
  t.clock.Advance(11);
  RescheduleTimers(r, t.random, now());
  EXPECT_GT(r.confusionStart, now());
}

class LocalItems : public LocalGameTest {
 protected:
  void StartWithItem(int kind, int64_t appearIn, int held = 0) {
    StartGame(2);
    Place(slot(0), 300, 300, 0.5f);
    Place(slot(1), 300, 100, 0.5f);
    slot(0).item = held, slot(0).itemStart = 0;
    round().itemKind = kind;
    round().itemX = 310, round().itemY = 290;
    round().itemAppear = now() + appearIn, round().itemVanish = now() + 15000;
  }
  void Use() { Key(kUse[0], true), StepFrame(60), Key(kUse[0], false); }
};

TEST_F(LocalItems, OnlyAShownItemIsCollected) {
  StartWithItem(1, 200);
  round().upgradesOption = 1;
  Place(slot(0), 315, 300, 0.5f);
  StepFrame(20);
  EXPECT_EQ(slot(0).item, 0);  // on it, but it is not shown yet
  Place(slot(0), 330, 300, 0.5f);
  StepFrame(200);  // moved to x = 335, but the test comes first
  EXPECT_EQ(slot(0).item, 1);
  EXPECT_FALSE(ItemShown(round(), now()));
  StartWithItem(2, -1);
  Place(slot(0), 331, 300, 0.5f);  // one pixel right of the icon
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).item, 0);
}

TEST_F(LocalItems, PassThroughCrossesTrailsForTwoSecondsThenTheNextPixelKills) {
  StartWithItem(2, 100000, 2);
  round().trailImage.FillBox(310, 280, 490, 40, 0x00FFFF);
  Use();
  int64_t started = slot(0).itemStart;
  EXPECT_EQ(started, now());
  while (now() + 51 - started <= 2000) {
    StepFrame(51);
    ASSERT_EQ(slot(0).dead, 0) << now() - started;
  }
  StepFrame(51);
  EXPECT_EQ(slot(0).dead, 1);
}

TEST_F(LocalItems, SpeedDoublesTheStepAndConfusionSwapsTheOwnersKeys) {
  StartWithItem(1, 100000, 1);
  Use();
  EXPECT_EQ(slot(0).x, 310);
  StartWithItem(3, 100000, 3);
  Use();
  EXPECT_EQ(round().confusionEnd, now() + 2000);
  Key(kLeft[0], true);
  StepFrame(11);
  EXPECT_FLOAT_EQ(slot(0).heading, 4.5f);  // left turns clockwise for its owner too
  StepFrame(2000);
  EXPECT_FLOAT_EQ(slot(0).heading, 0.5f);
}

TEST_F(LocalRules, BotsTurnTowardsTheirTargetAwayFromItWhenConfusedAndEvadeTrails) {
  StartGame(1, 1);
  BotRecord& bot = round().botList[0];
  Place(bot, 400, 300, 100.5f);
  bot.targetHeading = 140.5f, bot.nextWander = now() + 100000;
  SteerBot(t.client.round, t.client.random, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 104.5f);
  round().confusionStart = now() - 1, round().confusionEnd = now() + 1;
  SteerBot(t.client.round, t.client.random, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 100.5f);
  // A target across 0 degrees is reached, not circled for ever.
  round().confusionEnd = now();
  bot.heading = 6.5f, bot.targetHeading = -33.5f;
  for (int i = 0; i < 30; ++i) SteerBot(t.client.round, t.client.random, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 326.5f);
  // A trail 10 pixels ahead is evaded: a new target, held for a while.
  bot.heading = bot.targetHeading = 0.5f;
  round().trailImage.FillCircle(410, 300, 2, 0xFFFFFF);
  SteerBot(t.client.round, t.client.random, bot, now());
  EXPECT_TRUE(bot.lastEvade == now() && bot.targetHeading != 0.5f) << bot.targetHeading;
}

}  // namespace
}  // namespace kb
