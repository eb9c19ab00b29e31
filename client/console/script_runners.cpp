#include "client/console/script_runners.h"

#include <algorithm>
#include <chrono>

#include "common/platform/core/clock.h"

namespace kb {

namespace {

// A runner blocked in a message box cannot be woken; the program does not
// wait for it longer than this when it ends.
constexpr int kShutdownWaitMs = 2000;
constexpr int64_t kDelaySlice = 250;

}  // namespace

ScriptRunners::~ScriptRunners() {
  RequestStop();
  WaitIdle(kShutdownWaitMs);
  std::lock_guard lock(mutex_);
  for (Runner& runner : runners_) {
    if (runner.done->load())
      runner.thread.join();
    else
      runner.thread.detach();
  }
}

ScriptRunners::StartResult ScriptRunners::Start(std::function<void()> body) {
  std::lock_guard lock(mutex_);
  JoinFinished();
  if (running_ >= kMaxRunning) return StartResult::kTooMany;
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread thread;
  try {
    runners_.reserve(runners_.size() + 1);
    thread = spawn([this, body = std::move(body), done] {
      body();
      std::lock_guard lock(mutex_);
      done->store(true);
      --running_;
      finished_.notify_all();
    });
  } catch (const std::exception&) {
    // No thread (or no memory for one): the caller reports it, nothing ends.
    return StartResult::kNoThread;
  }
  ++running_;
  runners_.push_back({std::move(thread), done});
  return StartResult::kStarted;
}

void ScriptRunners::JoinFinished() {
  auto finished = std::partition(runners_.begin(), runners_.end(),
                                 [](const Runner& runner) { return !runner.done->load(); });
  for (auto it = finished; it != runners_.end(); ++it) it->thread.join();
  runners_.erase(finished, runners_.end());
}

void ScriptRunners::RequestStop() { stop_ = true; }

bool ScriptRunners::WaitIdle(int timeoutMs) {
  std::unique_lock lock(mutex_);
  return finished_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return running_ == 0; });
}

int ScriptRunners::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool ScriptRunners::Delay(Clock& clock, int64_t ms) {
  int64_t start = clock.Now();
  for (;;) {
    if (stop_) return false;
    int64_t passed = clock.Now() - start;
    if (passed > ms) return true;
    clock.Sleep(static_cast<int>(std::min(ms - passed + 1, kDelaySlice)));
  }
}

}  // namespace kb
