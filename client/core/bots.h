#pragma once

#include <cstdint>

namespace kb {

struct Client;
struct BotRecord;

// Appends botCount new bots with random places, headings and colours.
void CreateBots(Client& client);

// The bots' part of the steering step, after the slots.
void SteerBots(Client& client);
// One bot's steering; SteerBots runs it for every living bot in list order.
void SteerBot(Client& client, BotRecord& bot, int64_t now);

// The bots' part of the movement step, after the slots.
void MoveBots(Client& client);

// Places every bot for a new round; scores and colours stay.
void PlaceBotsForNewRound(Client& client);

}  // namespace kb
