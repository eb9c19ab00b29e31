#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/game/field.h"
#include "common/platform/core/image.h"

namespace kb {

constexpr int kPlayerSlots = 8;
// Slot 6 (shown as player 7) is steered with the mouse buttons.
constexpr int kMouseSlot = 6;
// Bots per game; every participant keeps a readable place in the score bar.
constexpr int kMaxBots = 32;

struct PlayerRecord {
  int score = 0;
  int active = 0;
  int leftLatch = 0, rightLatch = 0, clickLatch = 0;
  std::string keyLabel;
  int leftKey = 0, rightKey = 0, useKey = 0;
  // The game controller that steers the slot beside its keys (PadState::id), or empty.
  std::string padId;
  float heading = 0;
  int dead = 0;
  int prevX = 0, prevY = 0;
  int x = 0, y = 0;
  int64_t gapStart = 0;
  int64_t gapNext = 0;
  // Kind of the held upgrade item (0 = none) and its activation tick (0 = held only).
  int item = 0;
  int64_t itemStart = 0;
};

// A computer-steered participant of a local game.
struct BotRecord {
  int score = 0;
  float heading = 0;
  int dead = 0;
  int prevX = 0, prevY = 0;
  int x = 0, y = 0;
  int64_t gapStart = 0;
  int64_t gapNext = 0;
  Colour colour = 0;
  int64_t lastEvade = 0;
  int64_t nextWander = 0;
  // The heading the bot turns towards; never wrapped into 0..360, but moved
  // by 360 together with the heading when that wraps.
  float targetHeading = 0;
};

struct ScoreEntry {
  int score = 0;
  Colour colour = 0;
  int wins = 0;
};

// Everything a local round reads and writes.
struct RoundState {
  std::array<PlayerRecord, kPlayerSlots> players{};
  std::array<Colour, kPlayerSlots> playerColours{};
  Image trailImage{kFieldWidth, kFieldHeight};
  int upgradesOption = 1;
  int confusionOption = 1;
  int botCount = 0;
  int paused = 0;
  int pauseLatch = 0;
  int64_t roundStartTime = 0;
  int64_t steerTime = 0;
  int64_t moveTime = 0;
  Colour winnerColour = 0;
  int endSpaceLatch = 0;
  std::vector<ScoreEntry> scoreList;

  // Bots of the running game in creation order; emptied when the menu is entered.
  std::vector<BotRecord> botList;
  // The field item: kind 1..3 and the top-left corner of its 20 x 20 icon in
  // field coordinates; shown while itemAppear < now < itemVanish.
  int itemKind = 0;
  int itemX = 0, itemY = 0;
  int64_t itemAppear = 0;
  int64_t itemVanish = 0;
  // The current or next confusion period, running while start < now < end.
  int64_t confusionStart = 0;
  int64_t confusionEnd = 0;
};

}  // namespace kb
