#include <cmath>

#include "client/core/bots.h"
#include "common/game/trig.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

class LocalBots : public LocalGameTest {
 protected:
  // One bot at (x, y) with evasion due and no wander.
  BotRecord& OneBot(float heading, int x = 400, int y = 300) {
    StartGame(1, 1);
    BotRecord& bot = round().botList[0];
    Place(bot, x, y, heading);
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
  // A target across 0 degrees is reached, not circled for ever.
  round().confusionEnd = now();
  bot.heading = 6.5f;
  bot.targetHeading = -33.5f;
  for (int i = 0; i < 30; ++i) SteerBot(t.client, bot, now());
  EXPECT_FLOAT_EQ(bot.heading, 326.5f);
}

TEST_F(LocalBots, BorderBoundsAreDrawnAfreshEachStep) {
  int evadedAt30 = 0;
  for (int seed = 0; seed < 100; ++seed) {
    t.random = Random(seed);
    for (auto [x, y, always] : {std::tuple{400, 560, 1}, {60, 300, 0}, {30, 300, -1}}) {
      BotRecord& bot = OneBot(90.5f, x, y);
      SteerBot(t.client, bot, now());
      bool evaded = bot.lastEvade == now();
      if (always < 0)
        evadedAt30 += evaded;
      else
        EXPECT_EQ(evaded, always == 1) << x << "," << y;
    }
  }
  EXPECT_GT(evadedAt30, 10);  // 20..50: sometimes, not always
  EXPECT_LT(evadedAt30, 90);
}

}  // namespace
}  // namespace kb
