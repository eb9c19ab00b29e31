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

struct PlayerRecord {
  int score = 0;
  int active = 0;
  int leftLatch = 0, rightLatch = 0, clickLatch = 0;
  std::string keyLabel;
  int leftKey = 0, rightKey = 0, useKey = 0;
  float heading = 0;
  int dead = 0;
  int prevX = 0, prevY = 0;
  int x = 0, y = 0;
  int64_t gapStart = 0;
  int64_t gapNext = 0;
  int item = 0;
  int64_t itemStart = 0;
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
};

}  // namespace kb
