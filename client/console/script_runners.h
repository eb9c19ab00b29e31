#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kb {

class Clock;

// The script threads of one client. Declared last in Client, so it is
// destroyed first: it stops the runners and waits for them before the state
// they use goes away.
class ScriptRunners {
 public:
  ScriptRunners() = default;
  ScriptRunners(const ScriptRunners&) = delete;
  ScriptRunners& operator=(const ScriptRunners&) = delete;
  ~ScriptRunners();

  enum class StartResult { kStarted, kTooMany, kNoThread };
  // At most kMaxRunning runners at a time: a script that starts itself
  // twice would otherwise double them until no thread can start.
  static constexpr int kMaxRunning = 16;
  StartResult Start(std::function<void()> body);
  // How a runner's thread is made; tests replace it to see a failing start.
  std::function<std::thread(std::function<void()>)> spawn = [](std::function<void()> run) {
    return std::thread(std::move(run));
  };
  // Runners stop before their next line and leave their waits early.
  void RequestStop();
  bool StopRequested() const { return stop_.load(); }
  // Waits (real time, bounded) until no runner is left; true when none is.
  bool WaitIdle(int timeoutMs);
  int Running() const;
  // Sleeps on the clock until more than ms have passed; false when stopped early.
  bool Delay(Clock& clock, int64_t ms);

 private:
  struct Runner {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  void JoinFinished();

  mutable std::mutex mutex_;
  std::condition_variable finished_;
  std::vector<Runner> runners_;
  int running_ = 0;
  std::atomic<bool> stop_{false};
};

}  // namespace kb
