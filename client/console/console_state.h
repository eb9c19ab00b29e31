#pragma once

#include <cstdint>
#include <mutex>
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

// The console's lines have their own lock so that any thread may print.
class ConsoleLines {
 public:
  void Print(const std::string& text, Colour colour);
  void Clear();
  std::vector<ConsoleLine> Snapshot() const;
  size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::vector<ConsoleLine> lines_;
};

struct ConsoleState {
  ConsoleLines lines;
  int enabled = 0;
  int isOpen = 0;
  int isSmall = 0;
  int frozen = 0;
  std::string input;
  std::string lastInput;
  int scroll = 0;
  int height = 0;
  Image panel{800, 220};
};

}  // namespace kb
