#pragma once

#include <cstddef>
#include <vector>

namespace kb {

// One round of poll over a set of sockets, rebuilt every round.
class Poller {
 public:
  Poller();
  ~Poller();
  void Clear();
  // Returns the slot of the descriptor for the queries below.
  size_t Add(int fd, bool read, bool write);
  // Waits up to timeoutMs (0: do not wait); the number of ready slots, or -1
  // when a signal interrupted the wait.
  int Wait(int timeoutMs);

  // Data, end of stream or an error waits: a receive will not block.
  bool Readable(size_t slot) const;
  bool Writable(size_t slot) const;
  bool Failed(size_t slot) const;
  size_t Size() const;

 private:
  struct Entry;  // the system's own poll record
  std::vector<Entry> fds_;
};

}  // namespace kb
