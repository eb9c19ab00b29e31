#include "client/core/items.h"

#include "client/core/round.h"
#include "common/platform/core/random.h"

namespace kb {

bool Confused(const RoundState& round, int64_t now) {
  return round.confusionStart < now && now < round.confusionEnd;
}

bool ItemShown(const RoundState& round, int64_t now) {
  return round.itemAppear < now && now < round.itemVanish;
}

void ScheduleConfusion(RoundState& round, Random& random, int64_t now) {
  if (!round.confusionOption) return;
  round.confusionStart = now + RandomRange(random, 1000, 30000);
  round.confusionEnd = round.confusionStart + RandomRange(random, 2000, 5000);
}

void ScheduleItem(RoundState& round, Random& random, int64_t now) {
  if (!round.upgradesOption) return;
  round.itemAppear = now + RandomRange(random, 500, 5000);
  round.itemVanish = round.itemAppear + RandomRange(random, 10000, 20000);
  // Kind 3 confuses everybody, so it belongs to the confusion option.
  round.itemKind = RandomRange(random, 1, round.confusionOption ? 3 : 2);
  round.itemX = RandomRange(random, 25, 775);
  round.itemY = RandomRange(random, 25, 550);
}

void ScheduleRoundTimers(RoundState& round, Random& random, int64_t now) {
  ScheduleConfusion(round, random, now);
  ScheduleItem(round, random, now);
}

void RescheduleTimers(RoundState& round, Random& random, int64_t now) {
  if (now > round.confusionEnd && round.confusionOption) ScheduleConfusion(round, random, now);
  if (now > round.itemVanish && round.upgradesOption) ScheduleItem(round, random, now);
}

bool UpdateHeldItem(RoundState& round, PlayerRecord& player, int64_t now) {
  if (player.itemStart > 0 && now - player.itemStart > kItemActiveMs) {
    player.item = 0;
    player.itemStart = 0;
  }
  if (ItemShown(round, now) && round.itemX <= player.x && player.x <= round.itemX + kItemSize &&
      round.itemY <= player.y && player.y <= round.itemY + kItemSize) {
    // itemStart stays: a new item inherits the remaining time of an active one.
    player.item = round.itemKind;
    round.itemVanish = now - 1;
    return true;
  }
  return false;
}

bool ActivateItem(RoundState& round, PlayerRecord& player, int64_t now) {
  if (player.item == 0 || player.itemStart != 0) return false;
  player.itemStart = now;
  if (player.item == 3) {
    round.confusionStart = now;
    round.confusionEnd = now + kItemConfusionMs;
  }
  return true;
}

int StepLength(const PlayerRecord& player) { return player.item == 1 && player.itemStart != 0 ? 10 : 5; }

bool PassesTrails(const PlayerRecord& player) { return player.item == 2 && player.itemStart != 0; }

}  // namespace kb
