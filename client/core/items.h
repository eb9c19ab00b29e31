#pragma once

#include <cstdint>

namespace kb {

class Random;
struct PlayerRecord;
struct RoundState;

constexpr int kItemSize = 20;
constexpr int kItemActiveMs = 2000;
constexpr int kItemConfusionMs = 2000;

// A confusion period is running (both bounds excluded): left and right swap.
bool Confused(const RoundState& round, int64_t now);
// The field item can be seen and collected.
bool ItemShown(const RoundState& round, int64_t now);

// The next random confusion period and the next field item; each only while
// its option is on.
void ScheduleConfusion(RoundState& round, Random& random, int64_t now);
void ScheduleItem(RoundState& round, Random& random, int64_t now);

// When the start pause is over: a confusion period, then an item.
void ScheduleRoundTimers(RoundState& round, Random& random, int64_t now);
// Every frame of state game, also while paused: replaces a period or an item
// whose time is over.
void RescheduleTimers(RoundState& round, Random& random, int64_t now);

// Steering sub-step of a living slot: an active item expires after 2000 ms,
// and the head picks up the shown field item (true when it did).
bool UpdateHeldItem(RoundState& round, PlayerRecord& player, int64_t now);
// The use key: activates a held item once (true when it did); kind 3
// confuses everybody at once.
bool ActivateItem(RoundState& round, PlayerRecord& player, int64_t now);

// Effects while an item is active.
int StepLength(const PlayerRecord& player);
bool PassesTrails(const PlayerRecord& player);

}  // namespace kb
