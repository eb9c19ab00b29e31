#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

namespace kb {

// Lets `burst` events through at once, then one per `interval` ms; what comes
// faster is refused, never queued.
class RateLimit {
 public:
  RateLimit(int64_t interval, int64_t burst) : interval_(interval), burst_(burst) {}

  bool Allow(int64_t now) {
    int64_t start = std::max(due_, now);
    if (start - now > (burst_ - 1) * interval_) return false;
    due_ = start + interval_;
    return true;
  }
  // Back at its full burst: nothing would be lost by forgetting it.
  bool Rested(int64_t now) const { return due_ <= now; }

 private:
  int64_t interval_;
  int64_t burst_;
  int64_t due_ = INT64_MIN / 2;
};

// New connections per remote address: a peer that reconnects as fast as it
// is dropped would otherwise get a fresh message allowance every time.
class ConnectGuard {
 public:
  static constexpr int64_t kInterval = 100;
  static constexpr int64_t kBurst = 20;

  bool Allow(const std::string& address, int64_t now) {
    if (rates_.size() > kPruneAbove)
      std::erase_if(rates_, [&](const auto& item) { return item.second.Rested(now); });
    return rates_.try_emplace(address, kInterval, kBurst).first->second.Allow(now);
  }

 private:
  static constexpr size_t kPruneAbove = 1024;
  std::unordered_map<std::string, RateLimit> rates_;
};

// Wrong password attempts of one password: after kAttempts wrong ones from
// an address within kWindow ms the address is refused until that window is
// over, so a reconnect does not start a new count; after kTotalAttempts wrong
// ones from anywhere within kWindow every address that guessed wrong in its
// window waits until the oldest of them is a window old, so many addresses
// guess no faster than a few. An address that has not been guessing is never
// held back by the others: its right password still gets in.
class GuessGuard {
 public:
  static constexpr int kAttempts = 5;
  static constexpr int kTotalAttempts = 20;
  static constexpr int64_t kWindow = 60000;

  bool Blocked(const std::string& address, int64_t now) const {
    auto it = failures_.find(address);
    if (it == failures_.end() || now - it->second.since >= kWindow) return false;
    return it->second.count >= kAttempts ||
           (recent_.size() == kTotalAttempts && now - recent_.front() < kWindow);
  }
  void Failed(const std::string& address, int64_t now) {
    Entry& e = failures_[address];
    if (e.count == 0 || now - e.since >= kWindow) e = {now, 0};
    ++e.count;
    if (recent_.size() == kTotalAttempts) recent_.pop_front();
    recent_.push_back(now);
  }
  // Forgets windows that are over, so the table stays as small as the set
  // of addresses guessing right now.
  void Prune(int64_t now) {
    std::erase_if(failures_, [&](const auto& item) { return now - item.second.since >= kWindow; });
  }
  size_t Size() const { return failures_.size(); }

 private:
  struct Entry {
    int64_t since = 0;
    int count = 0;
  };
  std::unordered_map<std::string, Entry> failures_;
  std::deque<int64_t> recent_;  // the times of the latest wrong guesses, oldest first
};

}  // namespace kb
