#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/platform/core/image.h"

namespace kb {

// One entry of the "SCORES" field: points 0x05 colour 0x05 wins.
struct ScoreListEntry {
  int points = 0;
  Colour colour = 0;
  int wins = 0;

  bool operator==(const ScoreListEntry&) const = default;
};

// Entries joined by 0x03; empty text for an empty list.
std::string BuildScoreList(const std::vector<ScoreListEntry>& entries);
// The reverse; an empty field is an empty list, missing values read as 0.
// Entries past kMaxScoreEntries (a server's player cap) are left out: a
// hostile server must not make every frame draw thousands.
constexpr size_t kMaxScoreEntries = 256;
std::vector<ScoreListEntry> ParseScoreList(std::string_view field);

}  // namespace kb
