#include <algorithm>
#include <functional>
#include <string>

#include "client/core/bots.h"
#include "client/core/items.h"
#include "client/core/round_steps.h"
#include "common/platform/core/keys.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

using LocalRules = LocalGameTest;

TEST_F(LocalRules, EscapeLeavesEveryRoundStateAndNoPauseCarriesOver) {
  for (int from : {kStateStart, kStateGame, kStateEndRound}) {
    StartGame(3);
    slot(0).score = 4;
    round().paused = 1;
    SetState(from);
    Key(scan::kEscape, true);
    Frame();
    Key(scan::kEscape, false);
    EXPECT_EQ(state(), kStateMenu) << from;
    EXPECT_EQ(round().paused, 0) << from;
    EXPECT_EQ(slot(0).active + slot(0).score, 0) << from;
    Frame();
  }
  // A pause switched on in the menu (console "pause 1") does not start the next game paused.
  SetState(kStateMenu);
  slot(0).active = slot(1).active = 1;
  round().paused = 1;
  Key(scan::kSpace, true);
  Frame();
  Key(scan::kSpace, false);
  EXPECT_EQ(state(), kStateStart);
  EXPECT_EQ(round().paused, 0);
}

TEST_F(LocalRules, StartPauseLastsOneSecondAfterTheFade) {
  SetState(kStateMenu);
  slot(0).active = slot(1).active = 1;
  int64_t pressed = now();
  Key(scan::kSpace, true);
  Frame();
  Key(scan::kSpace, false);
  ASSERT_EQ(state(), kStateStart);
  EXPECT_GT(now() - pressed, 100) << "the fade's frames take their time";
  StepFrame(1000);
  EXPECT_EQ(state(), kStateStart);
  StepFrame(1);
  EXPECT_EQ(state(), kStateGame);
}

// Ctrl+P and Ctrl+F share their letters with slot keys (slot 4 uses P in
// the real table, slot 7 F); a held Ctrl turns every slot key off.
TEST_F(LocalRules, CtrlChordsNeitherSteerNorUseItems) {
  struct Case {
    int ctrl;
    int which;  // 0 left, 1 right, 2 use
    bool acts;
  };
  for (Case k : {Case{0, 0, true},
                 {0, 1, true},
                 {0, 2, true},
                 {scan::kLeftCtrl, 0, false},
                 {scan::kLeftCtrl, 2, false},
                 {scan::kRightCtrl, 1, false},
                 {scan::kRightCtrl, 2, false}}) {
    StartGame(8);
    for (int i = 0; i < kPlayerSlots; ++i) Place(slot(i), 100 + 80 * i, 300, 90.5f);
    slot(7).useKey = scan::kF;
    slot(7).item = 1;
    slot(7).itemStart = 0;
    int key = k.which == 0 ? slot(7).leftKey : k.which == 1 ? slot(7).rightKey : slot(7).useKey;
    t.input.ReleaseAll();
    if (k.ctrl) Key(k.ctrl, true);
    Key(key, true);
    t.input.Poll();
    SteeringStep(t.client);
    bool acted = slot(7).heading != 90.5f || slot(7).itemStart != 0;
    EXPECT_EQ(acted, k.acts) << k.ctrl << " " << k.which;
  }
}

// Slot 6 has no keys: left button left, right button right, middle button uses.
TEST_F(LocalRules, TheMouseSlotSteersWithTheButtons) {
  struct Case {
    int button;
    float heading;
    bool used;
  };
  for (Case k : {Case{vk::kLeftButton, 86.5f, false},
                 {vk::kRightButton, 94.5f, false},
                 {vk::kMiddleButton, 90.5f, true}}) {
    StartGame(7);
    for (int i = 0; i < 7; ++i) Place(slot(i), 100 + 90 * i, 300, 90.5f);
    slot(kMouseSlot).item = 1;
    slot(kMouseSlot).itemStart = 0;
    t.input.ReleaseAll();
    t.input.SetVirtualKey(k.button, true);
    t.clock.Advance(11);
    Frame();
    t.input.SetVirtualKey(k.button, false);
    EXPECT_FLOAT_EQ(slot(kMouseSlot).heading, k.heading) << k.button;
    EXPECT_EQ(slot(kMouseSlot).itemStart != 0, k.used) << k.button;
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

TEST_F(LocalRules, BotsDieOnTrailsAndADyingHeadDrawsItsLastSegment) {
  StartGame(1, 2);
  Place(slot(0), 100, 100, 0.5f);
  BotRecord& bot = round().botList[0];
  Place(bot, 400, 300, 0.5f);  // moves right by 5 onto the wall
  Place(round().botList[1], 400, 500, 180.5f);
  round().trailImage.FillBox(405, 290, 3, 20, Rgb(1, 2, 3));
  t.clock.Advance(51);
  MovementStep(t.client);
  EXPECT_EQ(bot.dead, 1);
  EXPECT_EQ(round().botList[1].dead, 0);
  EXPECT_EQ(slot(0).score, 1);
  EXPECT_EQ(round().trailImage.Pixel(402, 300), bot.colour);
  // The same for a slot.
  Place(slot(0), 500, 100, 0.5f);
  round().trailImage.FillBox(505, 90, 3, 20, Rgb(1, 2, 3));
  t.clock.Advance(51);
  MovementStep(t.client);
  EXPECT_EQ(slot(0).dead, 1);
  EXPECT_EQ(round().trailImage.Pixel(502, 100), round().playerColours[0]);
}

TEST_F(LocalRules, BotWanderWaitsForTheEvasionHold) {
  for (auto [sinceEvade, wanders] : {std::pair{750, false}, {100, false}, {751, true}, {5000, true}}) {
    StartGame(1, 1);
    BotRecord& bot = round().botList[0];
    Place(bot, 400, 300, 90.5f);
    bot.targetHeading = 90.5f;
    bot.lastEvade = now() - sinceEvade;
    bot.nextWander = now() - 1;
    int64_t nextWander = bot.nextWander;
    SteerBot(t.client, bot, now());
    EXPECT_EQ(bot.nextWander != nextWander, wanders) << sinceEvade;
  }
}

// Random draws stay inside their ranges and reach both ends of them.
TEST_F(LocalRules, ItemAndConfusionScheduleRanges) {
  StartGame(2);
  round().upgradesOption = round().confusionOption = 1;
  struct Range {
    const char* name;
    std::function<void()> draw;
    std::function<int64_t()> value;
    int64_t lo, hi;
  };
  RoundState& r = round();
  auto item = [&] { ScheduleItem(t.client); };
  auto confusion = [&] { ScheduleConfusion(t.client); };
  const Range ranges[] = {
      {"appear", item, [&] { return r.itemAppear - now(); }, 500, 5000},
      {"shown", item, [&] { return r.itemVanish - r.itemAppear; }, 10000, 20000},
      {"x", item, [&] { return int64_t{r.itemX}; }, 25, 775},
      {"y", item, [&] { return int64_t{r.itemY}; }, 25, 550},
      {"kind", item, [&] { return int64_t{r.itemKind}; }, 1, 3},
      {"confusion start", confusion, [&] { return r.confusionStart - now(); }, 1000, 30000},
      {"confusion length", confusion, [&] { return r.confusionEnd - r.confusionStart; }, 2000, 5000},
  };
  for (const Range& range : ranges) {
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (int i = 0; i < 4000; ++i) {
      range.draw();
      lo = std::min(lo, range.value());
      hi = std::max(hi, range.value());
    }
    int64_t slack = (range.hi - range.lo) / 50;
    EXPECT_GE(lo, range.lo) << range.name;
    EXPECT_LE(hi, range.hi) << range.name;
    EXPECT_LE(lo, range.lo + slack) << range.name;
    EXPECT_GE(hi, range.hi - slack) << range.name;
  }
  // Confusion periods follow each other only after the last one ended.
  r.confusionEnd = now() + 10;
  int64_t start = r.confusionStart;
  RescheduleTimers(t.client);
  EXPECT_EQ(r.confusionStart, start);
  t.clock.Advance(11);
  RescheduleTimers(t.client);
  EXPECT_GT(r.confusionStart, now());
}

}  // namespace
}  // namespace kb
