#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kb {

// Bounds the start-up: a display, font or driver call that never returns
// would leave the player with no window and no answer to any key. Unless
// `started` turns true (or the watchdog is disarmed) within the limit,
// `onTimeout` runs on the watchdog's own thread; the program's one ends the
// process with the failure message.
class StartupWatchdog {
 public:
  StartupWatchdog(std::chrono::milliseconds limit, std::function<bool()> started,
                  std::function<void()> onTimeout);
  ~StartupWatchdog();
  StartupWatchdog(const StartupWatchdog&) = delete;
  StartupWatchdog& operator=(const StartupWatchdog&) = delete;

  // The start-up ended some other way (a failure that has its own message).
  void Disarm();

 private:
  void Watch(std::chrono::milliseconds limit);

  std::function<bool()> started_;
  std::function<void()> onTimeout_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool disarmed_ = false;
  std::thread thread_;
};

}  // namespace kb
