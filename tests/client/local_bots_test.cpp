#include <cmath>

#include "client/core/bots.h"
#include "common/game/trig.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

class LocalBots : public LocalGameTest {
 protected:
  // One bot in the middle of the field with evasion due and no wander.
  BotRecord& OneBot(float heading) {
    StartGame(1, 1);
    Place(slot(0), 100, 500, 0.5f);
    BotRecord& bot = round().botList[0];
    Place(bot, 400, 300, heading);
    bot.targetHeading = heading;
    bot.nextWander = now() + 100000;
    return bot;
  }
  // How far the target moved after a step that sees trail pixels k ahead.
  float EvadeFrom(std::initializer_list<int> distances) {
    BotRecord& bot = OneBot(180.5f);  // no turn of this step wraps
    int d = DirectionIndex(bot.heading);
    for (int k : distances)
      round().trailImage.SetPixel(static_cast<int>(std::lround(400 + CosTable()[d] * k)),
                                  static_cast<int>(std::lround(300 + SinTable()[d] * k)), 0x00FF00);
    SteerBot(t.client, bot, now());
    EXPECT_EQ(bot.lastEvade, now());
    return std::abs(bot.targetHeading - 180.5f);
  }
};

TEST_F(LocalBots, TheFarthestProbeThatSeesATrailDecides) {
  bool sawWide = false;
  for (int seed = 0; seed < 200; ++seed) {
    t.random = Random(seed);
    EXPECT_LE(EvadeFrom({20}), 80.0f);
    EXPECT_LE(EvadeFrom({5, 20}), 80.0f);
    float nearOnly = EvadeFrom({5});
    EXPECT_LE(nearOnly, 200.0f);
    sawWide |= nearOnly > 160.0f;
  }
  EXPECT_TRUE(sawWide);

  // The evasive target is kept for 750 ms against wander and new evasions.
  float target = OneBot(180.5f).targetHeading = 300.5f;
  round().botList[0].lastEvade = now();
  round().botList[0].nextWander = 0;
  round().trailImage.SetPixel(380, 300, 0x00FF00);
  t.clock.Advance(750);
  SteerBot(t.client, round().botList[0], now());
  EXPECT_EQ(round().botList[0].targetHeading, target);
}

TEST_F(LocalBots, TurnsTowardsItsTargetAndAwayFromItWhenConfused) {
  BotRecord& bot = OneBot(100.5f);
  bot.targetHeading = 140.5f;
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 104.5f);
  round().confusionStart = now() - 1;
  round().confusionEnd = now() + 1;
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 100.5f);
  round().confusionEnd = now();  // the period has ended
  SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 104.5f);

  // A target across 0 degrees is reached, not circled for ever.
  bot.heading = 6.5f;
  bot.targetHeading = -33.5f;
  for (int i = 0; i < 30; ++i) SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 326.5f);
}

TEST_F(LocalBots, BorderBoundsAreDrawnAfreshEachStep) {
  int evadedAt30 = 0;
  for (int seed = 0; seed < 100; ++seed) {
    t.random = Random(seed);
    for (auto [x, y, always] : {std::tuple{10, 300, 1}, {400, 560, 1}, {60, 300, 0}, {30, 300, -1}}) {
      BotRecord& bot = OneBot(90.5f);
      bot.x = x, bot.y = y;
      SteerBot(t.client, bot, now());
      bool evaded = bot.lastEvade == now();
      if (always < 0) {
        evadedAt30 += evaded;
      } else {
        EXPECT_EQ(evaded, always == 1) << x << "," << y;
      }
    }
  }
  EXPECT_GT(evadedAt30, 10);
  EXPECT_LT(evadedAt30, 90);
}

}  // namespace
}  // namespace kb
