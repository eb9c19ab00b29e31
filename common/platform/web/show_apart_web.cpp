#include "common/platform/sdl/message_box.h"

namespace kb {

// A page has no thread to spare, and its alert() holds the whole page anyway:
// the dialog runs at once and is closed when the caller looks.
std::shared_ptr<const std::atomic<bool>> ShowApart(std::function<void()> show) {
  show();
  return std::make_shared<const std::atomic<bool>>(true);
}

int OpenApart() { return 0; }

}  // namespace kb
