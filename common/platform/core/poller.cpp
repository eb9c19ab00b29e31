#include "common/platform/core/poller.h"

#include <cerrno>

namespace kb {

size_t Poller::Add(int fd, bool read, bool write) {
  short events = 0;
  if (read) events |= POLLIN;
  if (write) events |= POLLOUT;
  fds_.push_back({fd, events, 0});
  return fds_.size() - 1;
}

int Poller::Wait(int timeoutMs) {
  for (pollfd& p : fds_) p.revents = 0;
  int n = poll(fds_.data(), fds_.size(), timeoutMs < 0 ? 0 : timeoutMs);
  if (n < 0) return errno == EINTR ? -1 : 0;
  return n;
}

}  // namespace kb
