#include "common/platform/core/poller.h"

#include <chrono>
#include <thread>

#include "common/platform/core/socket.h"
#include "common/platform/core/socket_system.h"

namespace kb {

// The entries go to the system as one array of its own records.
struct Poller::Entry : sockets::PollEntry {};

Poller::Poller() = default;
Poller::~Poller() = default;

void Poller::Clear() { fds_.clear(); }

size_t Poller::Add(int fd, bool read, bool write) {
  static_assert(sizeof(Entry) == sizeof(sockets::PollEntry));
  Entry entry{};
  entry.fd = fd;
  if (read) entry.events |= POLLIN;
  if (write) entry.events |= POLLOUT;
  fds_.push_back(entry);
  return fds_.size() - 1;
}

int Poller::Wait(int timeoutMs) {
  for (Entry& p : fds_) p.revents = 0;
  // Without sockets, the wait is a sleep, as poll(2) makes it (WSAPoll refuses).
  if (fds_.empty() || !InitNetwork()) {
    if (timeoutMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return 0;
  }
  int n = sockets::Poll(fds_.data(), fds_.size(), timeoutMs < 0 ? 0 : timeoutMs);
  if (n < 0) return sockets::Interrupted(sockets::LastError()) ? -1 : 0;
  return n;
}

bool Poller::Readable(size_t slot) const { return fds_[slot].revents & (POLLIN | POLLHUP | POLLERR); }
bool Poller::Writable(size_t slot) const { return fds_[slot].revents & POLLOUT; }
bool Poller::Failed(size_t slot) const { return fds_[slot].revents & (POLLERR | POLLNVAL); }
size_t Poller::Size() const { return fds_.size(); }

}  // namespace kb
