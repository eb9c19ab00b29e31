#include "listd/reachability.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "common/platform/core/address.h"

namespace kb {
namespace {

using Clock = std::chrono::steady_clock;

// A non-blocking connect under way; fd -1 once it is decided.
struct Attempt {
  size_t index;
  int fd;
  Clock::time_point deadline;
};

constexpr int kDecided = -1, kNoDescriptor = -2;

// Starts a connect: the descriptor while it is under way, kDecided when it
// was decided at once (result set), kNoDescriptor when none is free now.
int StartConnect(const Endpoint& endpoint, bool& result) {
  result = false;
  // Over the entry's own family: an IPv6 entry is checked over IPv6.
  std::optional<IpAddress> address = ParseIpAddress(endpoint.address);
  if (endpoint.port < 1 || endpoint.port > 65535 || !address) return kDecided;
  sockaddr_storage to{};
  socklen_t length;
  uint16_t port = htons(static_cast<uint16_t>(endpoint.port));
  if (address->v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&to);
    a->sin6_family = AF_INET6, a->sin6_port = port, length = sizeof *a;
    std::memcpy(&a->sin6_addr, address->bytes.data(), 16);
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&to);
    a->sin_family = AF_INET, a->sin_port = port, length = sizeof *a;
    std::memcpy(&a->sin_addr, address->bytes.data(), 4);
  }
  int fd = socket(to.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM ? kNoDescriptor : kDecided;
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), length) == 0) {
    result = true;
  } else if (errno == EINPROGRESS) {
    return fd;
  }
  close(fd);
  return kDecided;
}

}  // namespace

std::vector<bool> ProbeAll(const std::vector<Endpoint>& endpoints, int timeLimitMs,
                           const std::atomic<bool>& stop, size_t parallel) {
  std::vector<bool> open(endpoints.size(), false);
  std::vector<Attempt> running;
  std::vector<pollfd> fds;
  size_t next = 0;
  while (!stop) {
    bool starved = false;
    while (next < endpoints.size() && running.size() < std::max<size_t>(parallel, 1)) {
      bool result = false;
      int fd = StartConnect(endpoints[next], result);
      // Out of descriptors is no answer from the port: wait for ours to come back.
      if ((starved = fd == kNoDescriptor)) break;
      open[next] = result;
      if (fd >= 0) running.push_back({next, fd, Clock::now() + std::chrono::milliseconds(timeLimitMs)});
      ++next;
    }
    if (running.empty() && (next == endpoints.size() || starved)) break;
    fds.clear();
    Clock::time_point soonest = Clock::now() + std::chrono::milliseconds(100);
    for (const Attempt& a : running) {
      fds.push_back({a.fd, POLLOUT, 0});
      soonest = std::min(soonest, a.deadline);
    }
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(soonest - Clock::now()).count();
    if (poll(fds.data(), fds.size(), static_cast<int>(std::max<int64_t>(wait, 0) + 1)) < 0 && errno != EINTR)
      break;
    Clock::time_point now = Clock::now();
    for (size_t i = 0; i < running.size(); ++i) {
      Attempt& a = running[i];
      if (fds[i].revents) {
        int error = 0;
        socklen_t size = sizeof error;
        open[a.index] = getsockopt(a.fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
      } else if (now < a.deadline) {
        continue;
      }
      close(a.fd);
      a.fd = -1;
    }
    std::erase_if(running, [](const Attempt& a) { return a.fd < 0; });
  }
  // Done, stopped or starved: what is still under way or not begun was not checked.
  size_t checked = next;
  for (const Attempt& a : running) {
    checked = std::min(checked, a.index);
    close(a.fd);
  }
  open.resize(checked);
  return open;
}

}  // namespace kb
