#include "common/platform/core/clock.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <timeapi.h>
#endif

#include <chrono>
#include <thread>

namespace kb {

#ifdef _WIN32
SystemClock::SystemClock() { timeBeginPeriod(1); }
SystemClock::~SystemClock() { timeEndPeriod(1); }
#else
SystemClock::SystemClock() = default;
SystemClock::~SystemClock() = default;
#endif

int64_t SystemClock::Now() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int SteppedClock::Lag(int maxLag) {
  int64_t behind = source_.Now() - now_;
  if (behind <= 0) return 0;
  if (behind > maxLag) {
    now_ += behind - maxLag;
    behind = maxLag;
  }
  return static_cast<int>(behind);
}

}  // namespace kb
