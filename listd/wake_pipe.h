#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace kb {

// How other threads wake a poll loop: a byte into a pipe whose read end the
// loop polls first.
class WakePipe {
 public:
  WakePipe() {
    if (pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~WakePipe() {
    close(fds_[0]);
    close(fds_[1]);
  }
  WakePipe(const WakePipe&) = delete;
  WakePipe& operator=(const WakePipe&) = delete;

  void Wake() {
    char byte = 0;
    [[maybe_unused]] ssize_t ignored = write(fds_[1], &byte, 1);
  }

  // The entry to put first into the loop's poll set.
  pollfd Entry() const { return {fds_[0], POLLIN, 0}; }

  // Polls until a socket is ready, a wake-up comes or soonest has passed,
  // then empties the pipe.
  void Wait(std::vector<pollfd>& fds, std::chrono::steady_clock::time_point soonest) {
    auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(soonest - std::chrono::steady_clock::now())
            .count();
    if (poll(fds.data(), fds.size(), static_cast<int>(std::max<int64_t>(wait, 0) + 1)) < 0 && errno != EINTR)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    char drain[64];
    while (read(fds_[0], drain, sizeof drain) > 0) {
    }
  }

 private:
  int fds_[2] = {-1, -1};
};

}  // namespace kb
