#include "client/core/items.h"
#include "client/core/round_steps.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

class LocalItems : public LocalGameTest {
 protected:
  void StartWithItem(int kind, int64_t appearIn) {
    StartGame(2);
    Place(slot(0), 300, 300, 0.5f);
    Place(slot(1), 300, 100, 0.5f);
    slot(0).item = slot(0).itemStart = 0;  // held items outlive games
    round().itemKind = kind;
    round().itemX = 310;
    round().itemY = 290;
    round().itemAppear = now() + appearIn;
    round().itemVanish = now() + 15000;
  }
  void StepFrame(int64_t ms) {
    Advance(ms);
    Frame();
  }
};

TEST_F(LocalItems, SchedulingFollowsTheOptions) {
  StartGame(2);
  round().upgradesOption = 1;
  round().confusionOption = 0;
  bool sawKind[4] = {};
  for (int i = 0; i < 300; ++i) {
    ScheduleItem(t.client);
    sawKind[round().itemKind] = true;
    ASSERT_GE(round().itemAppear - now(), 500);
    ASSERT_LE(round().itemAppear - now(), 5000);
    ASSERT_GE(round().itemVanish - round().itemAppear, 10000);
    ASSERT_LE(round().itemVanish - round().itemAppear, 20000);
    ASSERT_GE(round().itemX, 25);
    ASSERT_LE(round().itemX, 775);
    ASSERT_LE(round().itemY, 550);
  }
  EXPECT_TRUE(sawKind[1] && sawKind[2]);
  EXPECT_FALSE(sawKind[3]);  // kind 3 only with confusion on

  // No random confusion while the option is off, however long the round runs
  // (paused: the timers run on).
  round().paused = 1;
  round().confusionStart = round().confusionEnd = 0;
  for (int i = 0; i < 100; ++i) StepFrame(1000);
  EXPECT_EQ(round().confusionEnd, 0);

  round().confusionOption = 1;
  for (int i = 0; i < 300 && !sawKind[3]; ++i) {
    ScheduleItem(t.client);
    sawKind[round().itemKind] = true;
  }
  EXPECT_TRUE(sawKind[3]);
  Frame();
  EXPECT_GE(round().confusionStart - now(), 1000);
  EXPECT_LE(round().confusionStart - now(), 30000);
  EXPECT_GE(round().confusionEnd - round().confusionStart, 2000);
  EXPECT_LE(round().confusionEnd - round().confusionStart, 5000);
  // Switched off, a pending period still runs its course.
  int64_t end = round().confusionEnd;
  round().confusionOption = 0;
  StepFrame(end - now() - 1);
  EXPECT_TRUE(Confused(round(), now()));
  StepFrame(10);
  EXPECT_EQ(round().confusionEnd, end);
}

TEST_F(LocalItems, OnlyAShownItemIsCollectedAndItVanishesAtOnce) {
  StartWithItem(1, 200);
  round().upgradesOption = 1;
  StepFrame(20);  // the head stands on the item before it shows
  EXPECT_EQ(slot(0).item, 0);
  Place(slot(0), 310, 310, 0.5f);  // still inside the icon after the step
  StepFrame(200);
  EXPECT_EQ(slot(0).item, 1);
  EXPECT_EQ(slot(0).itemStart, 0);
  EXPECT_EQ(round().itemVanish, now() - 1);
  EXPECT_FALSE(ItemShown(round(), now()));
  StepFrame(1);  // the next frame schedules the next item
  EXPECT_GE(round().itemAppear, now() + 500);
  EXPECT_LE(round().itemAppear, now() + 5000);
}

TEST_F(LocalItems, TheIconCountsItsFarEdgesButNotBeyond) {
  for (auto [x, y, taken] : {std::tuple{330, 310, true},
                             {331, 310, false},
                             {310, 290, true},
                             {309, 290, false},
                             {320, 310, true},
                             {320, 311, false},
                             {320, 289, false}}) {
    StartWithItem(2, -1);
    Place(slot(0), x, y, 0.5f);
    SteeringStep(t.client);
    EXPECT_EQ(slot(0).item != 0, taken) << x << "," << y;
  }
}

TEST_F(LocalItems, SpeedItemDoublesTheStepForTwoSeconds) {
  StartWithItem(1, 0);
  slot(0).item = 1;
  Key(kUse[0], true);
  StepFrame(60);
  EXPECT_EQ(slot(0).itemStart, now());
  EXPECT_EQ(slot(0).x, 310);
  Key(kUse[0], false);
  int64_t started = now();
  while (now() - started <= 2000) StepFrame(51);
  // The frame past 2000 ms clears it before moving.
  EXPECT_EQ(slot(0).item, 0);
  EXPECT_EQ(slot(0).x - slot(0).prevX, 5);
}

TEST_F(LocalItems, PassThroughCrossesATrailAndTheNextPixelAfterItKills) {
  StartWithItem(2, 0);
  slot(0).item = 2;
  // Trail across the path from x = 310 to the end of the field.
  round().trailImage.FillBox(310, 280, 490, 40, 0x00FFFF);
  Key(kUse[0], true);
  StepFrame(60);
  Key(kUse[0], false);
  int64_t started = slot(0).itemStart;
  EXPECT_EQ(started, now());
  while (now() + 51 - started <= 2000) {
    StepFrame(51);
    ASSERT_EQ(slot(0).dead, 0) << now() - started;
  }
  StepFrame(51);
  EXPECT_EQ(slot(0).dead, 1);
  EXPECT_EQ(slot(1).score, 1);
}

TEST_F(LocalItems, ConfusionItemSwapsTheOwnersKeysToo) {
  StartWithItem(3, 0);
  slot(0).item = 3;
  Key(kUse[0], true);
  StepFrame(60);
  EXPECT_EQ(round().confusionStart, now());
  EXPECT_EQ(round().confusionEnd, now() + 2000);
  Key(kUse[0], false);
  Key(kLeft[0], true);
  Key(kLeft[1], true);
  StepFrame(11);
  EXPECT_FLOAT_EQ(slot(0).heading, 4.5f);  // left turns clockwise now
  EXPECT_FLOAT_EQ(slot(1).heading, 4.5f);
  StepFrame(2000);
  EXPECT_FLOAT_EQ(slot(0).heading, 0.5f);  // the period is over
}

TEST_F(LocalItems, UseKeyWithoutItemOrOnAnActiveItemChangesNothing) {
  StartWithItem(1, 100000);
  Key(kUse[0], true);
  StepFrame(60);
  EXPECT_EQ(slot(0).itemStart, 0);
  slot(0).item = 3;
  slot(0).itemStart = now() - 100;
  round().confusionStart = round().confusionEnd = 0;
  StepFrame(60);
  EXPECT_EQ(slot(0).itemStart, now() - 160);
  EXPECT_EQ(round().confusionEnd, 0);
}

TEST_F(LocalItems, ItemsAreKeptAcrossRoundsAndReplacedWhenAnotherIsCollected) {
  StartWithItem(2, -1);
  slot(0).item = 1;
  slot(0).itemStart = now() - 1500;  // active, 500 ms left
  Place(slot(0), 315, 295, 90.5f);
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).item, 2);
  EXPECT_EQ(slot(0).itemStart, now() - 1500);  // inherits the remaining time

  slot(0).itemStart = 0;
  SetState(kStateEndRound);
  Key(0x39, true);
  Frame();
  EXPECT_EQ(state(), kStateStart);
  EXPECT_EQ(slot(0).item, 2);
  NewGame(t.client);
  EXPECT_EQ(slot(0).item, 2);
}

}  // namespace
}  // namespace kb
