#include "client/core/items.h"

#include "client/core/client.h"

namespace kb {

bool Confused(const RoundState& round, int64_t now) {
  return round.confusionStart < now && now < round.confusionEnd;
}

bool ItemShown(const RoundState& round, int64_t now) {
  return round.itemAppear < now && now < round.itemVanish;
}

void ScheduleConfusion(Client& client) {
  RoundState& round = client.round;
  if (!round.confusionOption) return;
  int64_t now = client.clock.Now();
  round.confusionStart = now + RandomRange(client.random, 1000, 30000);
  round.confusionEnd = round.confusionStart + RandomRange(client.random, 2000, 5000);
}

void ScheduleItem(Client& client) {
  RoundState& round = client.round;
  if (!round.upgradesOption) return;
  int64_t now = client.clock.Now();
  round.itemAppear = now + RandomRange(client.random, 500, 5000);
  round.itemVanish = round.itemAppear + RandomRange(client.random, 10000, 20000);
  // Kind 3 confuses everybody, so it belongs to the confusion option.
  round.itemKind = RandomRange(client.random, 1, round.confusionOption ? 3 : 2);
  round.itemX = RandomRange(client.random, 25, 775);
  round.itemY = RandomRange(client.random, 25, 550);
}

void ScheduleRoundTimers(Client& client) {
  ScheduleConfusion(client);
  ScheduleItem(client);
}

void RescheduleTimers(Client& client) {
  const RoundState& round = client.round;
  int64_t now = client.clock.Now();
  if (now > round.confusionEnd && round.confusionOption) ScheduleConfusion(client);
  if (now > round.itemVanish && round.upgradesOption) ScheduleItem(client);
}

void UpdateHeldItem(RoundState& round, PlayerRecord& player, int64_t now) {
  if (player.itemStart > 0 && now - player.itemStart > kItemActiveMs) {
    player.item = 0;
    player.itemStart = 0;
  }
  if (ItemShown(round, now) && round.itemX <= player.x && player.x <= round.itemX + kItemSize &&
      round.itemY <= player.y && player.y <= round.itemY + kItemSize) {
    // itemStart stays: a new item inherits the remaining time of an active one.
    player.item = round.itemKind;
    round.itemVanish = now - 1;
  }
}

void ActivateItem(RoundState& round, PlayerRecord& player, int64_t now) {
  if (player.item == 0 || player.itemStart != 0) return;
  player.itemStart = now;
  if (player.item == 3) {
    round.confusionStart = now;
    round.confusionEnd = now + kItemConfusionMs;
  }
}

int StepLength(const PlayerRecord& player) { return player.item == 1 && player.itemStart != 0 ? 10 : 5; }

bool PassesTrails(const PlayerRecord& player) { return player.item == 2 && player.itemStart != 0; }

}  // namespace kb
