#include "client/core/round_steps.h"
#include "client/core/scoring.h"
#include "common/platform/core/keys.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

using LocalRound = LocalGameTest;

TEST_F(LocalRound, BorderCountsTheFarEdgeAsInsideAndOnePixelPastItAsOut) {
  StartGame(3);
  Place(slot(0), 800, 575, 0);
  Place(slot(1), 0, 0, 0);
  Place(slot(2), 400, 300, 0);
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).dead, 0);
  EXPECT_EQ(slot(1).dead, 0);

  for (auto [x, y] : {std::pair{801, 300}, {-1, 300}, {400, 576}, {400, -1}}) {
    Place(slot(0), x, y, 0);
    slot(0).dead = 0;
    SteeringStep(t.client);
    EXPECT_EQ(slot(0).dead, 1) << x << "," << y;
  }
  // A head at x = 800 reads no pixel: the image ends at 799.
  Place(slot(2), 795, 300, 0.5f);
  round().trailImage.FillBox(790, 290, 10, 20, 0x123456);
  round().trailImage.SetPixel(800 - 1, 300, 0);
  MovementStep(t.client);
  EXPECT_EQ(slot(2).x, 800);
  EXPECT_EQ(slot(2).dead, 0);
}

TEST_F(LocalRound, EliminationAwardsEverySurvivorInTheOrderOfEliminations) {
  StartGame(3, 1);
  for (int i = 0; i < 3; ++i) Place(slot(i), 100 + 200 * i, 300, 90.5f);
  Place(round().botList[0], 700, 100, 0.5f);
  round().botList[0].nextWander = now() + 100000;
  slot(0).x = 801;  // A leaves the field
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).score, 0);
  EXPECT_EQ(slot(1).score, 1);
  EXPECT_EQ(slot(2).score, 1);
  EXPECT_EQ(round().botList[0].score, 1);
  Advance(11);
  slot(1).y = -1;  // then B
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).score, 0);
  EXPECT_EQ(slot(1).score, 1);
  EXPECT_EQ(slot(2).score, 2);
  EXPECT_EQ(round().botList[0].score, 2);

  // Two out in the same step: the first handled pays the second one too.
  StartGame(3);
  for (int i = 0; i < 3; ++i) Place(slot(i), 100 + 200 * i, 300, 90.5f);
  slot(0).x = -5;
  slot(1).x = 900;
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).score, 0);
  EXPECT_EQ(slot(1).score, 1);
  EXPECT_EQ(slot(2).score, 2);
}

TEST_F(LocalRound, RoundEndsInTheFrameOfTheLastButOneElimination) {
  StartGame(2);
  Place(slot(0), 400, 100, 0.5f);
  Place(slot(1), 400, 300, 0.5f);
  // Slot 1 runs into a trail pixel five pixels ahead.
  round().trailImage.SetPixel(405, 300, 0x00FF00);
  Advance(60);
  Frame();
  EXPECT_EQ(slot(1).dead, 1);
  EXPECT_EQ(slot(0).score, 1);
  EXPECT_EQ(state(), kStateEndRound);
}

TEST_F(LocalRound, SteeringAndMovementKeepTheirPaceAndRunOncePerFrame) {
  StartGame(2);
  Place(slot(0), 400, 300, 0.5f);
  Place(slot(1), 400, 100, 0.5f);
  Key(kLeft[0], true);
  Frame();  // both due: the old step times lie far back
  EXPECT_FLOAT_EQ(slot(0).heading, 356.5f);
  EXPECT_EQ(slot(0).x, 405);  // moved along the wrapped heading (index 62 ~ 0 degrees)
  Advance(10);
  Frame();
  EXPECT_FLOAT_EQ(slot(0).heading, 356.5f);  // 10 ms is not more than 10
  Advance(1);
  Frame();
  EXPECT_FLOAT_EQ(slot(0).heading, 352.5f);
  int x = slot(0).x;
  Advance(39);  // 50 ms since the last movement: steering only
  Frame();
  EXPECT_EQ(slot(0).x, x);
  EXPECT_FLOAT_EQ(slot(0).heading, 348.5f);
  Advance(1000);  // a long frame still steers and moves only once
  Frame();
  EXPECT_NE(slot(0).x, x);
  EXPECT_LE(std::abs(slot(0).x - x), 5);
  EXPECT_FLOAT_EQ(slot(0).heading, 344.5f);

  // Both keys held cancel; the right key alone turns clockwise.
  Key(kRight[0], true);
  Advance(11);
  Frame();
  EXPECT_FLOAT_EQ(slot(0).heading, 344.5f);
  Key(kLeft[0], false);
  Advance(11);
  Frame();
  EXPECT_FLOAT_EQ(slot(0).heading, 348.5f);
}

TEST_F(LocalRound, MouseSlotSteersWithTheButtons) {
  StartGame(1);
  slot(kMouseSlot).active = 1;
  Place(slot(kMouseSlot), 400, 300, 100.5f);
  Place(slot(0), 400, 100, 0.5f);
  t.input.SetVirtualKey(vk::kRightButton, true);
  Advance(11);
  Frame();
  EXPECT_FLOAT_EQ(slot(kMouseSlot).heading, 104.5f);
  t.input.SetVirtualKey(vk::kRightButton, false);
  // A click shorter than a frame still counts: the query reports the press.
  t.input.SetVirtualKey(vk::kLeftButton, true);
  t.input.SetVirtualKey(vk::kLeftButton, false);
  Advance(11);
  Frame();
  EXPECT_FLOAT_EQ(slot(kMouseSlot).heading, 100.5f);
}

TEST_F(LocalRound, PauseFreezesHeadsButTimersRunOn) {
  StartGame(2);
  round().upgradesOption = 1;
  round().confusionOption = 1;
  Place(slot(0), 400, 300, 0.5f);
  Place(slot(1), 400, 100, 0.5f);
  slot(0).item = 1;
  slot(0).itemStart = now();  // double speed active
  slot(0).gapNext = now() + 300;
  Frame();  // schedules item and confusion
  int64_t gapNext = slot(0).gapNext;
  int64_t itemVanish = round().itemVanish, confusionEnd = round().confusionEnd;

  Key(scan::kLeftCtrl, true);
  Key(scan::kP, true);
  Key(kLeft[0], true);
  Frame();
  EXPECT_EQ(round().paused, 1);
  Frame();  // still held: no second toggle
  EXPECT_EQ(round().paused, 1);
  Key(scan::kP, false);
  int x = slot(0).x;
  float heading = slot(0).heading;
  for (int i = 0; i < 400; ++i) {
    Advance(100);
    Frame();
  }
  EXPECT_EQ(slot(0).x, x);
  EXPECT_EQ(slot(0).heading, heading);
  EXPECT_NE(round().itemVanish, itemVanish);      // item cycled meanwhile
  EXPECT_NE(round().confusionEnd, confusionEnd);  // and the confusion period
  EXPECT_EQ(slot(0).gapNext, gapNext);            // no movement step, so no gap bookkeeping

  Key(scan::kP, true);
  Frame();
  EXPECT_EQ(round().paused, 0);
  // The item ran out during the pause: normal speed again, cleared at once.
  Key(kLeft[0], false);
  x = slot(0).x;
  Advance(100);
  Frame();
  EXPECT_EQ(slot(0).item, 0);
  EXPECT_EQ(slot(0).x - x, 5);
}

TEST_F(LocalRound, RoundEndIsTestedWhilePaused) {
  StartGame(2);
  Place(slot(0), 400, 300, 0.5f);
  Place(slot(1), 400, 100, 0.5f);
  round().paused = 1;
  Frame();
  EXPECT_EQ(state(), kStateGame);
  slot(1).dead = 1;
  Frame();
  EXPECT_EQ(state(), kStateEndRound);
}

TEST_F(LocalRound, GapLeavesAHoleAnotherHeadPassesThrough) {
  StartGame(3);
  // A runs right along y = 200 from x = 100; its gap begins at the fifth step.
  Place(slot(0), 100, 200, 0.5f);
  Place(slot(1), 600, 500, 0.5f);
  Place(slot(2), 50, 500, 0.5f);
  int64_t t0 = now();
  slot(0).gapNext = t0 + 51 * 5;
  for (int i = 1; i <= 12; ++i) {
    Advance(51);
    MovementStep(t.client);
  }
  const Image& trail = round().trailImage;
  Colour a = round().playerColours[0];
  // Steps 5..8 (at gapNext and not after gapStart + 175 ms) drew nothing:
  // drawn segments end at x = 120 (+2) and start again at x = 140 (-3).
  EXPECT_EQ(trail.Pixel(122, 200), a);
  for (int x = 123; x <= 136; ++x) EXPECT_EQ(trail.Pixel(x, 200), 0u) << x;
  EXPECT_EQ(trail.Pixel(137, 200), a);
  EXPECT_EQ(trail.Pixel(158, 200), a);
  EXPECT_GT(slot(0).gapNext, now() + 1000);

  // B drops through the hole and lives; C hits the trail beside it and dies.
  Place(slot(1), 130, 180, 90.5f);  // 90.5 degrees: straight down
  Place(slot(2), 150, 180, 90.5f);
  for (int i = 0; i < 8; ++i) {
    Advance(51);
    MovementStep(t.client);
  }
  EXPECT_EQ(slot(1).dead, 0);
  EXPECT_GT(slot(1).y, 210);
  EXPECT_EQ(slot(2).dead, 1);
}

TEST_F(LocalRound, AGapEndsOnlyAfter175Milliseconds) {
  StartGame(2);
  Place(slot(0), 100, 200, 0.5f);
  Place(slot(1), 100, 400, 0.5f);
  slot(0).gapStart = now() - 175;
  slot(1).gapStart = now() - 176;
  MovementStep(t.client);
  EXPECT_EQ(round().trailImage.Pixel(100, 200), 0u);
  EXPECT_EQ(round().trailImage.Pixel(100, 400), round().playerColours[1]);
}

TEST_F(LocalRound, HeadOnTheFirstSlotDrawsFirstAndTheLaterOneCollides) {
  StartGame(2);
  // Both reach x = 300 in the same step from opposite sides.
  Place(slot(0), 295, 300, 0.5f);
  Place(slot(1), 305, 300, 180.5f);
  round().trailImage.Clear(0);
  Advance(51);
  MovementStep(t.client);
  EXPECT_EQ(slot(0).dead, 0);
  EXPECT_EQ(slot(1).dead, 1);
}

TEST_F(LocalRound, GoalIsTenPointsPerOpponent) {
  StartGame(8);
  EXPECT_EQ(GoalScore(t.client), 70);
  for (auto& p : round().players) p.active = 0;
  StartGame(2, 3);
  EXPECT_EQ(GoalScore(t.client), 40);

  SetState(kStateEndRound);
  slot(1).score = 39;
  round().botList[2].score = 39;
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateStart);
  EXPECT_TRUE(round().scoreList.empty());
  round().botList[2].score = 40;
  SetState(kStateEndRound);
  Frame();
  EXPECT_EQ(state(), kStateEnd);
  EXPECT_EQ(round().winnerColour, round().botList[2].colour);
  // Slots first, then bots, sorted by score; five entries.
  ASSERT_EQ(round().scoreList.size(), 5u);
  EXPECT_EQ(round().scoreList[0].colour, round().botList[2].colour);
  EXPECT_EQ(round().scoreList[1].colour, round().playerColours[1]);
}

TEST_F(LocalRound, WhenSeveralReachTheGoalTheLastOfBotsThenSlotsWins) {
  StartGame(3, 2);  // goal 40
  SetState(kStateEndRound);
  round().botList[0].score = 45;
  slot(0).score = 40;
  slot(2).score = 41;
  slot(1).score = 50;
  slot(1).active = 0;  // an inactive slot's score does not count
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateEnd);
  EXPECT_EQ(round().winnerColour, round().playerColours[2]);
  ASSERT_EQ(round().scoreList.size(), 4u);
  EXPECT_EQ(round().scoreList[0].score, 45);
  EXPECT_EQ(round().scoreList[3].score, 0);

  // The held Space does not leave the end screen; a new press does.
  Frame();
  EXPECT_EQ(state(), kStateEnd);
  Key(scan::kSpace, false);
  Frame();
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateMenu);
  EXPECT_EQ(slot(0).active, 0);
  EXPECT_EQ(slot(0).score, 0);
}

TEST_F(LocalRound, NextRoundClearsTheFieldAndPlacesEverybodyKeepingScores) {
  StartGame(2, 2);
  round().trailImage.FillBox(0, 0, 800, 575, 0x777777);
  slot(0).dead = 1;
  slot(0).score = 3;
  round().botList[1].dead = 1;
  round().botList[1].score = 5;
  Colour botColour = round().botList[1].colour;
  SetState(kStateEndRound);
  Advance(5000);
  Key(scan::kSpace, true);
  Frame();
  EXPECT_EQ(state(), kStateStart);
  EXPECT_EQ(round().roundStartTime, now());
  EXPECT_EQ(round().trailImage.Pixel(400, 300), 0u);
  EXPECT_EQ(slot(0).dead, 0);
  EXPECT_EQ(slot(0).score, 3);
  EXPECT_EQ(round().botList[1].dead, 0);
  EXPECT_EQ(round().botList[1].score, 5);
  EXPECT_EQ(round().botList[1].colour, botColour);
  for (const auto& p : round().players) {
    EXPECT_GE(p.x, 50);
    EXPECT_LE(p.x, 750);
    EXPECT_GE(p.y, 50);
    EXPECT_LE(p.y, 525);
    EXPECT_EQ(p.heading, static_cast<int>(p.heading));  // no half degree after the first round
    EXPECT_GE(p.gapNext, now() + 1500);
    EXPECT_LE(p.gapNext, now() + 4000);
  }
  // The start pause holds the heads for 1000 ms, then the round runs.
  Key(scan::kSpace, false);
  Advance(1000);
  Frame();
  EXPECT_EQ(state(), kStateStart);
  Advance(1);
  Frame();
  EXPECT_EQ(state(), kStateGame);
}

TEST_F(LocalRound, EscapeLeavesEveryLocalStateForTheMenuOncePerPress) {
  for (int s : {kStateStart, kStateGame, kStateEndRound, kStateEnd}) {
    StartGame(2, 1);
    slot(0).score = 4;
    SetState(s);
    round().roundStartTime = now();
    t.client.frame.escapeLatch = 1;  // still held from an earlier press
    Key(scan::kEscape, true);
    Frame();
    EXPECT_EQ(state(), s);
    Key(scan::kEscape, false);
    Frame();
    Key(scan::kEscape, true);
    Frame();
    EXPECT_EQ(state(), kStateMenu) << s;
    EXPECT_EQ(slot(0).score, 0);
    EXPECT_EQ(slot(0).active, 0);
    EXPECT_TRUE(round().botList.empty());
    Key(scan::kEscape, false);
  }
}

TEST_F(LocalRound, NewGamePlacesEverySlotAndReplacesTheBots) {
  round().botCount = 3;
  slot(2).score = 9;
  NewGame(t.client);
  NewGame(t.client);
  EXPECT_EQ(round().botList.size(), 3u);
  EXPECT_EQ(CountParticipants(t.client), 3);
  EXPECT_EQ(slot(2).score, 0);
  for (const auto& p : round().players) {
    EXPECT_EQ(p.heading - static_cast<int>(p.heading), 0.5f);
    EXPECT_EQ(p.prevX, p.x);
    EXPECT_EQ(p.prevY, p.y);
  }
  for (const auto& b : round().botList) {
    EXPECT_GE(RedOf(b.colour), 20);
    EXPECT_GE(GreenOf(b.colour), 20);
    EXPECT_GE(BlueOf(b.colour), 20);
    EXPECT_EQ(b.targetHeading, 0.0f);
    EXPECT_EQ(b.lastEvade, 0);
  }
  EXPECT_EQ(round().roundStartTime, now());
}

}  // namespace
}  // namespace kb
