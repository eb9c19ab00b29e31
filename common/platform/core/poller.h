#pragma once

#include <poll.h>

#include <cstddef>
#include <vector>

namespace kb {

// One round of poll(2) over a set of descriptors, rebuilt every round.
class Poller {
 public:
  void Clear() { fds_.clear(); }
  // Returns the slot of the descriptor for the queries below.
  size_t Add(int fd, bool read, bool write);
  // Waits up to timeoutMs (0: do not wait); the number of ready slots, or -1
  // when a signal interrupted the wait.
  int Wait(int timeoutMs);

  // Data, end of stream or an error waits: a receive will not block.
  bool Readable(size_t slot) const { return fds_[slot].revents & (POLLIN | POLLHUP | POLLERR); }
  bool Writable(size_t slot) const { return fds_[slot].revents & POLLOUT; }
  bool Failed(size_t slot) const { return fds_[slot].revents & (POLLERR | POLLNVAL); }
  size_t Size() const { return fds_.size(); }

 private:
  std::vector<pollfd> fds_;
};

}  // namespace kb
