#pragma once

#include <cstdint>

namespace kb {

class Random;
struct BotRecord;
struct RoundState;

// Appends botCount new bots with random places, headings and colours.
void CreateBots(RoundState& round, Random& random, int64_t now);

// The bots' part of the steering step, after the slots.
void SteerBots(RoundState& round, Random& random, int64_t now);
// One bot's steering; SteerBots runs it for every living bot in list order.
void SteerBot(RoundState& round, Random& random, BotRecord& bot, int64_t now);

// The bots' part of the movement step, after the slots.
void MoveBots(RoundState& round, Random& random, int64_t now);

// Places every bot for a new round; scores and colours stay.
void PlaceBotsForNewRound(RoundState& round, Random& random, int64_t now);

}  // namespace kb
