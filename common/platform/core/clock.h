#pragma once

#include <atomic>
#include <cstdint>

namespace kb {

// Milliseconds from a monotonic clock, 64-bit so that a server running for
// months never wraps. Everything paced compares Now() with a stored time, so
// logic takes a Clock and tests hand it a ManualClock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t Now() const = 0;
  virtual void Sleep(int ms) = 0;
};

// On Windows it also asks for a 1 ms timer while it exists, since a sleep of
// 1 ms there lasts a whole 15.6 ms scheduler tick otherwise.
class SystemClock final : public Clock {
 public:
  SystemClock();
  ~SystemClock() override;
  SystemClock(const SystemClock&) = delete;
  SystemClock& operator=(const SystemClock&) = delete;
  int64_t Now() const override;
  void Sleep(int ms) override;
};

// The time of a loop that cannot sleep between its passes (the browser calls
// it once per display frame): Now() moves one millisecond per Step, so a
// frame's passes see the times a loop with a 1 ms sleep would have seen, and
// every rule paced by the clock keeps its pace.
class SteppedClock final : public Clock {
 public:
  explicit SteppedClock(Clock& source) : source_(source), now_(source.Now()) {}
  int64_t Now() const override { return now_; }
  // The loop cannot wait inside a pass: a sleep moves the time on at once.
  void Sleep(int ms) override { now_ += ms; }
  // How many passes (ms) the loop is behind the source, at most maxLag: a
  // longer gap (a hidden page) is skipped, as a stalled desktop loop would.
  int Lag(int maxLag);
  void Step() { ++now_; }

 private:
  Clock& source_;
  int64_t now_;
};

// A clock that only moves when told; Sleep advances it. Safe to read from
// several threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(int64_t start = 1000) : now_(start) {}
  int64_t Now() const override { return now_.load(); }
  void Sleep(int ms) override { now_ += ms; }
  void Advance(int64_t ms) { now_ += ms; }
  void Set(int64_t ms) { now_ = ms; }

 private:
  std::atomic<int64_t> now_;
};

}  // namespace kb
