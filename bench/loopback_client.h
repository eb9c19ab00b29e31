#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "common/platform/core/socket.h"

namespace kb::bench {

// A game connection from a loopback address of its own (127.0.a.b): the
// server paces new connections per address, and 256 players on one machine
// would otherwise wait half a minute to get in.
inline std::unique_ptr<kb::TcpConnection> OpenFrom(int index, int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  remote.sin_port = htons(static_cast<uint16_t>(port));
  std::string from = "127.0." + std::to_string(1 + index / 250) + "." + std::to_string(2 + index % 250);
  inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    close(fd);
    return nullptr;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return std::make_unique<kb::TcpConnection>(fd);
}

}  // namespace kb::bench
