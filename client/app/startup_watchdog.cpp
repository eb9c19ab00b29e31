#include "client/app/startup_watchdog.h"

namespace kb {

namespace {

// How often the watchdog looks whether the first frame is out.
constexpr std::chrono::milliseconds kPollInterval{50};

}  // namespace

StartupWatchdog::StartupWatchdog(std::chrono::milliseconds limit, std::function<bool()> started,
                                 std::function<void()> onTimeout)
    : started_(std::move(started)), onTimeout_(std::move(onTimeout)) {
  thread_ = std::thread([this, limit] { Watch(limit); });
}

StartupWatchdog::~StartupWatchdog() {
  Disarm();
  thread_.join();
}

void StartupWatchdog::Disarm() {
  std::lock_guard lock(mutex_);
  disarmed_ = true;
  wake_.notify_all();
}

void StartupWatchdog::Watch(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  std::unique_lock lock(mutex_);
  for (;;) {
    if (disarmed_ || started_()) return;
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) break;
    wake_.wait_for(lock, std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
  }
  lock.unlock();
  onTimeout_();
}

}  // namespace kb
