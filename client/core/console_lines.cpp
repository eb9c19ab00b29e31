#include "client/core/console_lines.h"

#include <algorithm>

namespace kb {

void ConsoleLines::Print(const std::string& text, Colour colour) {
  lines_.push_back({text, colour});
  bytes_ += text.size();
  while (lines_.size() > 1 && (lines_.size() > kMaxConsoleLines || bytes_ > kMaxConsoleBytes)) {
    bytes_ -= lines_.front().text.size();
    lines_.pop_front();
  }
}

void ConsoleLines::Clear() {
  lines_.clear();
  bytes_ = 0;
}

std::vector<ConsoleLine> ConsoleLines::Snapshot() const { return {lines_.begin(), lines_.end()}; }

std::vector<ConsoleLine> ConsoleLines::Range(size_t first, size_t count) const {
  if (first >= lines_.size()) return {};
  size_t end = first + std::min(count, lines_.size() - first);
  return {lines_.begin() + static_cast<std::ptrdiff_t>(first),
          lines_.begin() + static_cast<std::ptrdiff_t>(end)};
}

size_t ConsoleLines::Size() const { return lines_.size(); }

}  // namespace kb
