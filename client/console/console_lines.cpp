#include "client/console/console_state.h"

namespace kb {

void ConsoleLines::Print(const std::string& text, Colour colour) {
  std::lock_guard lock(mutex_);
  lines_.push_back({text, colour});
}

void ConsoleLines::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

std::vector<ConsoleLine> ConsoleLines::Snapshot() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

size_t ConsoleLines::Size() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

}  // namespace kb
