#include "common/platform/core/command_line.h"

#include <cstdlib>

namespace kb {

bool ParseNumber(const std::string& text, long low, long high, long* out) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || value < low || value > high) return false;
  *out = value;
  return true;
}

}  // namespace kb
