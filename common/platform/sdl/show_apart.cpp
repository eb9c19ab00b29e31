#include <system_error>
#include <thread>

#include "common/platform/sdl/message_box.h"

namespace kb {

namespace {
std::atomic<int> g_open{0};
}  // namespace

std::shared_ptr<const std::atomic<bool>> ShowApart(std::function<void()> show) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  ++g_open;
  auto run = [show = std::move(show), done] {
    show();
    done->store(true);
    --g_open;
  };
  try {
    std::thread(run).detach();
  } catch (const std::system_error&) {
    run();
  }
  return done;
}

int OpenApart() { return g_open.load(); }

}  // namespace kb
