#include "tests/support/socket_options.h"

#include <cstdint>
#include <string_view>

#include "common/platform/core/socket.h"
#include "common/platform/core/socket_system.h"

namespace kb::testing {

void SetSocketBuffer(int fd, bool send, int bytes) {
  setsockopt(fd, SOL_SOCKET, send ? SO_SNDBUF : SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
             sizeof bytes);
}

void StopAnswering(int fd) { listen(fd, 0); }

int ConnectFrom(const char* from, int port) {
  if (!InitNetwork()) return -1;
  // To loopback of the source's family: an IPv6 source goes to ::1.
  bool v6 = std::string_view(from).find(':') != std::string_view::npos;
  int fd = static_cast<int>(socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0));
  sockaddr_storage local{}, remote{};
  socklen_t length = v6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  if (v6) {
    auto *l = reinterpret_cast<sockaddr_in6*>(&local), *r = reinterpret_cast<sockaddr_in6*>(&remote);
    l->sin6_family = r->sin6_family = AF_INET6;
    r->sin6_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET6, from, &l->sin6_addr);
    inet_pton(AF_INET6, "::1", &r->sin6_addr);
  } else {
    auto *l = reinterpret_cast<sockaddr_in*>(&local), *r = reinterpret_cast<sockaddr_in*>(&remote);
    l->sin_family = r->sin_family = AF_INET;
    r->sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, from, &l->sin_addr);
    inet_pton(AF_INET, "127.0.0.1", &r->sin_addr);
  }
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), length) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&remote), length) != 0) {
    if (fd >= 0) sockets::Close(fd);
    return -1;
  }
  return fd;
}

}  // namespace kb::testing
