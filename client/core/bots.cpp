#include "client/core/bots.h"

#include <algorithm>

#include "client/core/head_motion.h"
#include "client/core/items.h"
#include "client/core/round.h"
#include "client/core/scoring.h"

namespace kb {

namespace {

// An evasive target is kept at least this long before wander or evasion may
// change it again.
constexpr int kEvadeHoldMs = 750;

// A new target up to `steps` turns of 4 degrees either way of the heading.
float TargetAround(const BotRecord& bot, Random& random, int steps) {
  return bot.heading + static_cast<float>(kSteerDegrees * RandomRange(random, -steps, steps));
}

// Each bound is drawn anew for every test, so close to the border the bot
// evades at random from step to step.
bool NearBorder(const BotRecord& bot, Random& random) {
  return bot.x < RandomRange(random, 20, 50) || bot.x > RandomRange(random, 750, 780) ||
         bot.y < RandomRange(random, 20, 50) || bot.y > RandomRange(random, 525, 555);
}

}  // namespace

void CreateBots(RoundState& round, Random& random, int64_t now) {
  int count = std::clamp(round.botCount, 0, kMaxBots);
  for (int i = 0; i < count; ++i) {
    BotRecord bot;
    PlaceHead(bot, random, now, 0.5f);
    bot.nextWander = now + RandomRange(random, 250, 1000);
    bot.colour = RandomTrailColour(random);
    round.botList.push_back(bot);
  }
}

void SteerBot(RoundState& round, Random& random, BotRecord& bot, int64_t now) {
  if (OutsideBorder(bot)) {
    bot.dead = 1;
    AwardElimination(round);
    return;
  }
  if (now > bot.nextWander && now - bot.lastEvade > kEvadeHoldMs) {
    bot.targetHeading = TargetAround(bot, random, 20);
    bot.nextWander = now + RandomRange(random, 250, 1000);
  }
  if (NearBorder(bot, random) && now - bot.lastEvade > kEvadeHoldMs) {
    bot.targetHeading = TargetAround(bot, random, 40);
    bot.lastEvade = now;
  }
  if (now - bot.lastEvade > kEvadeHoldMs) {
    // Nearest probe first: a hit farther ahead overwrites a nearer one.
    static constexpr int kProbeDistance[3] = {5, 10, 20};
    static constexpr int kProbeSpread[3] = {50, 40, 20};
    int d = DirectionIndex(bot.heading);
    for (int k = 0; k < 3; ++k) {
      int px = static_cast<int>(std::lround(bot.x + CosTable()[d] * static_cast<float>(kProbeDistance[k])));
      int py = static_cast<int>(std::lround(bot.y + SinTable()[d] * static_cast<float>(kProbeDistance[k])));
      if (IsTrailPixel(round.trailImage, px, py)) {
        bot.targetHeading = TargetAround(bot, random, kProbeSpread[k]);
        bot.lastEvade = now;
      }
    }
  }
  // Confusion makes the bot turn away from its target.
  float turn = Confused(round, now) ? -kSteerDegrees : kSteerDegrees;
  if (bot.targetHeading < bot.heading)
    bot.heading -= turn;
  else if (bot.targetHeading > bot.heading)
    bot.heading += turn;
  // The target moves with a wrapped heading: otherwise a target beyond 0 or
  // 360 degrees can never be reached and the bot spins into its own trail.
  float before = bot.heading;
  WrapHeading(bot);
  bot.targetHeading += bot.heading - before;
}

void SteerBots(RoundState& round, Random& random, int64_t now) {
  for (BotRecord& bot : round.botList)
    if (!bot.dead) SteerBot(round, random, bot, now);
}

void MoveBots(RoundState& round, Random& random, int64_t now) {
  for (BotRecord& bot : round.botList) {
    if (bot.dead) continue;
    if (MoveHead(bot, round.trailImage, random, now, 5, true, bot.colour)) {
      bot.dead = 1;
      AwardElimination(round);
    }
  }
}

void PlaceBotsForNewRound(RoundState& round, Random& random, int64_t now) {
  for (BotRecord& bot : round.botList) PlaceHead(bot, random, now, 0.0f);
}

}  // namespace kb
