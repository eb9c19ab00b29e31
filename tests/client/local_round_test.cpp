#include "client/core/round_steps.h"
#include "client/core/scoring.h"
#include "common/platform/core/keys.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

using LocalRound = LocalGameTest;

TEST_F(LocalRound, BorderIsInclusiveAndAwardsGoToSurvivorsInOrder) {
  StartGame(3, 1);
  for (int i = 0; i < 3; ++i) Place(slot(i), 100 + 200 * i, 300, 90.5f);
  Place(round().botList[0], 700, 100, 0.5f);
  round().botList[0].nextWander = now() + 100000;
  slot(0).x = 800;
  slot(1).y = 575;
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).dead + slot(1).dead, 0);
  slot(0).x = 801;  // A out first...
  SteeringStep(t.client);
  slot(1).y = -1;  // ...then B
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).score, 0);
  EXPECT_EQ(slot(1).score, 1);
  EXPECT_EQ(slot(2).score, 2);
  EXPECT_EQ(round().botList[0].score, 2);
}

TEST_F(LocalRound, StepsKeepTheirPaceAndPauseFreezesHeadsWhileTimersRun) {
  StartGame(2);
  Place(slot(0), 400, 300, 0.5f);
  Place(slot(1), 400, 100, 0.5f);
  Key(kLeft[0], true);
  Frame();  // both steps due
  EXPECT_FLOAT_EQ(slot(0).heading, 356.5f);
  EXPECT_EQ(slot(0).x, 405);
  StepFrame(10);  // not more than 10 ms: no steering
  EXPECT_FLOAT_EQ(slot(0).heading, 356.5f);
  StepFrame(40);  // steering again, but 50 ms is not enough to move
  EXPECT_FLOAT_EQ(slot(0).heading, 352.5f);
  EXPECT_EQ(slot(0).x, 405);
  StepFrame(1000);  // a slow frame still runs each step once
  EXPECT_FLOAT_EQ(slot(0).heading, 348.5f);
  EXPECT_EQ(slot(0).x, 410);

  round().upgradesOption = 1;
  Key(scan::kRightCtrl, true);
  Key(scan::kP, true);
  StepFrame(100);
  Frame();  // held: toggles once
  EXPECT_EQ(round().paused, 1);
  int64_t itemVanish = round().itemVanish;
  for (int i = 0; i < 300; ++i) StepFrame(100);
  EXPECT_EQ(slot(0).x, 410);
  EXPECT_FLOAT_EQ(slot(0).heading, 348.5f);
  EXPECT_NE(round().itemVanish, itemVanish);  // the item cycled meanwhile
  slot(1).dead = 1;
  Frame();
  EXPECT_EQ(state(), kStateEndRound);  // round end is tested while paused
}

TEST_F(LocalRound, HeadOnTheLowerSlotDrawsFirstAndALaterDeathPaysTheEarlierOne) {
  StartGame(3);
  Place(slot(0), 100, 300, 0.5f);    // to the right...
  Place(slot(1), 110, 300, 180.5f);  // ...meets this one head-on at x = 105
  Place(slot(2), 102, 307, 270.5f);  // and this one runs up into slot 0's new segment
  t.clock.Advance(51);
  MovementStep(t.client);
  EXPECT_EQ(slot(0).dead, 0);
  EXPECT_EQ(slot(1).dead, 1);
  EXPECT_EQ(slot(2).dead, 1);
  // Slot 1 went first and paid slots 0 and 2; slot 2 then paid slot 0.
  EXPECT_EQ(slot(0).score, 2);
  EXPECT_EQ(slot(1).score, 0);
  EXPECT_EQ(slot(2).score, 1);
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

TEST_F(LocalRound, GoalIsTenPerOpponentAndTheLastToReachItWins) {
  StartGame(8);
  EXPECT_EQ(GoalScore(t.client), 70);
  StartGame(2, 3);
  EXPECT_EQ(GoalScore(t.client), 40);
  SetState(kStateEndRound);
  slot(0).score = 39;
  round().botList[2].score = 40;
  slot(1).score = 40;
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateEnd);
  EXPECT_EQ(round().winnerColour, round().playerColours[1]);  // bots first, then slots
  ASSERT_EQ(round().scoreList.size(), 5u);
  EXPECT_EQ(round().scoreList[1].colour, round().botList[2].colour);
  EXPECT_EQ(round().scoreList[2].score, 39);
  Frame();
  EXPECT_EQ(state(), kStateEnd);  // the Space still held does not leave the table at once
  Key(scan::kSpace, false);
  Frame();
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateMenu);
  EXPECT_EQ(slot(1).active + slot(1).score, 0);
  EXPECT_TRUE(round().botList.empty());
}

TEST_F(LocalRound, NextRoundKeepsScoresAndItemsAndWaitsASecond) {
  StartGame(2, 1);
  slot(0).dead = 1;
  slot(0).score = 3;
  slot(0).item = 2;
  round().botList[0].dead = 1;
  SetState(kStateEndRound);
  Key(scan::kSpace, true);
  Frame();
  Key(scan::kSpace, false);
  EXPECT_EQ(state(), kStateStart);
  EXPECT_EQ(slot(0).dead + round().botList[0].dead, 0);
  EXPECT_EQ(slot(0).score, 3);
  EXPECT_EQ(slot(0).item, 2);
  StepFrame(1000);
  EXPECT_EQ(state(), kStateStart);
  StepFrame(1);
  EXPECT_EQ(state(), kStateGame);
}

}  // namespace
}  // namespace kb
