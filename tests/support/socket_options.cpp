#include "tests/support/socket_options.h"

#include <cstdint>

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
  int fd = static_cast<int>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  remote.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, from, &local.sin_addr);
  inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    if (fd >= 0) sockets::Close(fd);
    return -1;
  }
  return fd;
}

}  // namespace kb::testing
