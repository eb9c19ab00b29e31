#include <cmath>

#include "client/core/bots.h"
#include "client/core/round_steps.h"
#include "common/game/trig.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

class LocalBots : public LocalGameTest {
 protected:
  // One bot heading right (0.5 degrees: table index 0) in the middle of the
  // field, with wander and evasion both due.
  BotRecord& OneBot(float heading = 0.5f) {
    StartGame(1, 1);
    round().trailImage.Clear(0);
    Place(slot(0), 100, 500, 0.5f);
    BotRecord& bot = round().botList[0];
    Place(bot, 400, 300, heading);
    bot.targetHeading = heading;
    bot.lastEvade = 0;
    bot.nextWander = now() + 100000;
    return bot;
  }
  static int ProbeX(const BotRecord& bot, int k) {
    return static_cast<int>(std::lround(bot.x + CosTable()[DirectionIndex(bot.heading)] * k));
  }
  static int ProbeY(const BotRecord& bot, int k) {
    return static_cast<int>(std::lround(bot.y + SinTable()[DirectionIndex(bot.heading)] * k));
  }
};

TEST_F(LocalBots, TheFarthestProbeThatSeesATrailDecides) {
  // Heading left, so no turn in the step wraps the heading.
  constexpr float kHeading = 180.5f;
  auto seesTrailAt = [&](std::initializer_list<int> distances) {
    BotRecord& bot = OneBot(kHeading);
    for (int k : distances) round().trailImage.SetPixel(ProbeX(bot, k), ProbeY(bot, k), 0x00FF00);
    SteerBot(t.client, bot, now());
    EXPECT_EQ(bot.lastEvade, now());
    return std::abs(bot.targetHeading - kHeading);
  };
  bool sawWide = false;
  for (int seed = 0; seed < 200; ++seed) {
    t.random = Random(seed);
    EXPECT_LE(seesTrailAt({20}), 80.0f);
    EXPECT_LE(seesTrailAt({5, 20}), 80.0f);
    EXPECT_LE(seesTrailAt({10}), 160.0f);
    float nearOnly = seesTrailAt({5});
    EXPECT_LE(nearOnly, 200.0f);
    sawWide |= nearOnly > 160.0f;
  }
  EXPECT_TRUE(sawWide);
}

TEST_F(LocalBots, ProbesLookAlongTheTableDirectionAndIgnoreOtherPixels) {
  BotRecord& bot = OneBot(90.5f);                   // index 16: down the screen
  round().trailImage.SetPixel(410, 300, 0x00FF00);  // beside, not ahead
  round().trailImage.SetPixel(400, 315, 0x00FF00);  // between the probes
  SteerBot(t.client, bot, now());
  EXPECT_EQ(bot.lastEvade, 0);
  int x = static_cast<int>(std::lround(400 + CosTable()[16] * 10));
  round().trailImage.SetPixel(x, 310, 0x00FF00);
  SteerBot(t.client, bot, now());
  EXPECT_EQ(bot.lastEvade, now());
}

TEST_F(LocalBots, AnEvasiveTargetIsKeptFor750Milliseconds) {
  BotRecord& bot = OneBot();
  round().trailImage.SetPixel(420, 300, 0x00FF00);
  SteerBot(t.client, bot, now());
  int64_t evaded = now();
  bot.nextWander = 0;
  bot.x = 400, bot.y = 300, bot.heading = 0.5f;
  float target = bot.targetHeading;
  Advance(750);
  SteerBot(t.client, bot, now());
  EXPECT_EQ(bot.targetHeading, target);  // neither wander nor a new evasion
  EXPECT_EQ(bot.lastEvade, evaded);
  Advance(1);
  bot.heading = 0.5f;
  SteerBot(t.client, bot, now());
  EXPECT_EQ(bot.lastEvade, now());
}

TEST_F(LocalBots, TurnsTowardsItsTargetAndAwayFromItWhenConfused) {
  BotRecord& bot = OneBot(100.5f);
  bot.targetHeading = 140.5f;
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 104.5f);
  bot.targetHeading = 104.5f;
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 104.5f);

  round().confusionStart = now() - 1;
  round().confusionEnd = now() + 1;
  bot.targetHeading = 140.5f;
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 100.5f);
  bot.targetHeading = 40.5f;
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 104.5f);
  // At the period's end the bot turns the right way again.
  round().confusionEnd = now();
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 100.5f);
}

TEST_F(LocalBots, ATargetAcrossZeroDegreesIsReachedWithoutSpinning) {
  BotRecord& bot = OneBot(6.5f);
  bot.targetHeading = -33.5f;  // 40 degrees to the left, across the wrap
  for (int i = 0; i < 30; ++i) SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 326.5f);
  bot.heading = 354.5f;
  bot.targetHeading = 394.5f;  // and to the right
  for (int i = 0; i < 30; ++i) SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 34.5f);
}

TEST_F(LocalBots, BorderBoundsAreDrawnAfreshEachStep) {
  int evadedAt30 = 0;
  for (int seed = 0; seed < 100; ++seed) {
    t.random = Random(seed);
    BotRecord* bot = &OneBot(90.5f);
    bot->x = 10;  // left of every bound
    SteerBot(t.client, *bot, now());
    EXPECT_EQ(bot->lastEvade, now());
    bot = &OneBot(90.5f);
    bot->y = 560;  // below every bound
    SteerBot(t.client, *bot, now());
    EXPECT_EQ(bot->lastEvade, now());
    bot = &OneBot(90.5f);
    bot->x = 60;  // inside every bound
    SteerBot(t.client, *bot, now());
    EXPECT_EQ(bot->lastEvade, 0);
    bot = &OneBot(90.5f);
    bot->x = 30;
    SteerBot(t.client, *bot, now());
    evadedAt30 += bot->lastEvade == now();
  }
  EXPECT_GT(evadedAt30, 10);
  EXPECT_LT(evadedAt30, 90);
}

TEST_F(LocalBots, WanderWaitsForItsTimeAndForTheLastEvasion) {
  BotRecord& bot = OneBot(180.5f);
  bot.nextWander = now();
  SteerBot(t.client, bot, now());
  EXPECT_EQ(bot.nextWander, now());  // not after it yet
  Advance(1);
  bot.lastEvade = now() - 750;
  SteerBot(t.client, bot, now());
  EXPECT_EQ(bot.nextWander, now() - 1);
  bot.lastEvade = now() - 751;
  SteerBot(t.client, bot, now());
  EXPECT_GE(bot.nextWander, now() + 250);
  EXPECT_LE(bot.nextWander, now() + 1000);
  EXPECT_LE(std::abs(bot.targetHeading - 180.5f), 80.0f);
}

TEST_F(LocalBots, BotsDieLikeSlotsAndScoreTheirPoints) {
  StartGame(1, 2);
  Place(slot(0), 100, 500, 0.5f);
  BotRecord& a = round().botList[0];
  BotRecord& b = round().botList[1];
  Place(a, 801, 300, 0.5f);
  Place(b, 400, 100, 0.5f);
  a.nextWander = b.nextWander = now() + 100000;
  SteeringStep(t.client);
  EXPECT_EQ(a.dead, 1);
  EXPECT_EQ(b.score, 1);
  EXPECT_EQ(slot(0).score, 1);
  // b moves 5 pixels per step and meets a trail pixel.
  round().trailImage.SetPixel(405, 100, 0x0000FF);
  Advance(51);
  MovementStep(t.client);
  EXPECT_EQ(b.dead, 1);
  EXPECT_EQ(b.x, 405);
  EXPECT_EQ(slot(0).score, 2);
  EXPECT_EQ(b.score, 1);
  // Its last segment is drawn in its colour.
  EXPECT_EQ(round().trailImage.Pixel(401, 100), b.colour);
}

TEST_F(LocalBots, TwoBotsAndOneSlotPlayToTwentyAndListTheBotsAfterTheSlot) {
  StartGame(1, 2);
  EXPECT_EQ(CountParticipants(t.client), 3);
  round().botList[1].score = 20;
  slot(0).score = 20;
  SetState(kStateEndRound);
  Key(0x39, true);
  Frame();
  ASSERT_EQ(round().scoreList.size(), 3u);
  EXPECT_EQ(round().scoreList[0].colour, round().playerColours[0]);
  EXPECT_EQ(round().scoreList[1].colour, round().botList[1].colour);
  EXPECT_EQ(round().scoreList[2].colour, round().botList[0].colour);
  EXPECT_EQ(round().winnerColour, round().playerColours[0]);
}

}  // namespace
}  // namespace kb
