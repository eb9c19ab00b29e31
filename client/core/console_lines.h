#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "common/platform/core/image.h"

namespace kb {

constexpr Colour kConsoleRed = 255;
constexpr Colour kConsoleGreen = 65280;
constexpr Colour kConsoleWhite = 16777215;
constexpr Colour kConsoleAmber = 52479;

struct ConsoleLine {
  std::string text;
  Colour colour = kConsoleWhite;
};

// The history keeps the newest lines up to these bounds: a script that
// prints in a loop must not eat the memory.
constexpr size_t kMaxConsoleLines = 5000;
constexpr size_t kMaxConsoleBytes = 8u << 20;
// The console's lines, the oldest dropped past the line and byte limits.
class ConsoleLines {
 public:
  void Print(const std::string& text, Colour colour);
  void Clear();
  std::vector<ConsoleLine> Snapshot() const;
  // At most count lines starting at index first (fewer near the end).
  std::vector<ConsoleLine> Range(size_t first, size_t count) const;
  size_t Size() const;

 private:
  std::deque<ConsoleLine> lines_;
  size_t bytes_ = 0;
};

}  // namespace kb
