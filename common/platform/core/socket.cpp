#include "common/platform/core/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace kb {
namespace {

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }

void SetNoDelay(int fd) {
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool WouldBlock(int e) { return e == EAGAIN || e == EWOULDBLOCK || e == EINTR; }

int BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

bool ResolveIpv4(const std::string& host, int port, sockaddr_in* out) {
  *out = {};
  out->sin_family = AF_INET;
  out->sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &out->sin_addr) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || !result) return false;
  out->sin_addr = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr;
  freeaddrinfo(result);
  return true;
}

// A non-blocking connect, waited for by poll so a dead address costs at most
// timeoutMs instead of the system's minute-long retries.
bool ConnectWithin(int fd, const sockaddr_in& address, int timeoutMs) {
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  if (errno != EINPROGRESS && errno != EINTR) return false;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    int wait = -1;
    if (timeoutMs >= 0) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      wait = static_cast<int>(left.count());
    }
    pollfd p{fd, POLLOUT, 0};
    int ready = poll(&p, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
}

}  // namespace

bool InitNetwork() {
  signal(SIGPIPE, SIG_IGN);
  return true;
}

TcpConnection::TcpConnection(int fd, size_t queueLimit) : fd_(fd), queueLimit_(queueLimit) {
  SetNonBlocking(fd_);
}

TcpConnection::~TcpConnection() {
  if (fd_ < 0) return;
  // Closing with unread input makes the system reset the connection and
  // throw away what is still on its way to the peer (a goodbye such as
  // "MODE" 21), so the input is read away first; bounded, as a flooder's
  // input must not hold the caller.
  char sink[16384];
  for (int i = 0; i < 16 && recv(fd_, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
  }
  close(fd_);
}

std::unique_ptr<TcpConnection> TcpConnection::Open(const std::string& host, int port, bool noDelay,
                                                   int timeoutMs) {
  if (port <= 0 || port > 65535) return nullptr;
  sockaddr_in address;
  if (!ResolveIpv4(host, port, &address)) return nullptr;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return nullptr;
  if (!ConnectWithin(fd, address, timeoutMs)) {
    close(fd);
    return nullptr;
  }
  if (noDelay) SetNoDelay(fd);
  return std::make_unique<TcpConnection>(fd);
}

std::string TcpConnection::PeerAddress() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sin_family != AF_INET)
    return {};
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return text;
}

long TcpConnection::Receive(char* buffer, size_t n) {
  if (broken_) return -1;
  ssize_t got = recv(fd_, buffer, n, 0);
  if (got > 0) return got;
  if (got < 0 && WouldBlock(errno)) return 0;
  broken_ = true;
  return -1;
}

bool TcpConnection::Send(std::string_view bytes) {
  if (broken_) return false;
  if (Queued() == 0) {
    while (!bytes.empty()) {
      ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        if (WouldBlock(errno)) break;
        broken_ = true;
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(sent));
      // A short send means the socket buffer is full: queue the rest.
      if (!bytes.empty()) break;
    }
    if (bytes.empty()) return true;
  }
  if (Queued() + bytes.size() > queueLimit_) {
    broken_ = true;
    return false;
  }
  queue_.append(bytes);
  return true;
}

bool TcpConnection::Send(std::span<const std::string_view> parts) {
  if (parts.size() == 1) return Send(parts[0]);
  if (broken_) return false;
  size_t total = 0;
  for (std::string_view p : parts) total += p.size();
  size_t sent = 0;
  if (Queued() == 0 && parts.size() <= 64) {
    iovec vectors[64];
    for (size_t i = 0; i < parts.size(); ++i)
      vectors[i] = {const_cast<char*>(parts[i].data()), parts[i].size()};
    msghdr message{};
    message.msg_iov = vectors;
    message.msg_iovlen = parts.size();
    while (true) {
      ssize_t n = sendmsg(fd_, &message, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && !WouldBlock(errno)) {
        broken_ = true;
        return false;
      }
      // A short send means the socket buffer is full: queue the rest.
      sent = n > 0 ? static_cast<size_t>(n) : 0;
      break;
    }
  }
  if (sent == total) return true;
  if (Queued() + total - sent > queueLimit_) {
    broken_ = true;
    return false;
  }
  for (std::string_view p : parts) {
    size_t skip = std::min(sent, p.size());
    sent -= skip;
    queue_.append(p.substr(skip));
  }
  return true;
}

bool TcpConnection::FlushQueue() {
  while (!broken_ && Queued() > 0) {
    ssize_t sent = send(fd_, queue_.data() + queueStart_, Queued(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (WouldBlock(errno)) break;
      broken_ = true;
      return false;
    }
    queueStart_ += static_cast<size_t>(sent);
  }
  if (queueStart_ == queue_.size()) {
    // A peer that was slow once does not keep a burst's room for good.
    if (queue_.capacity() > 64 * 1024) {
      std::string().swap(queue_);
    } else {
      queue_.clear();
    }
    queueStart_ = 0;
  } else if (queueStart_ > queue_.size() / 2) {
    queue_.erase(0, queueStart_);
    queueStart_ = 0;
  }
  return !broken_;
}

bool TcpConnection::Drain(int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (FlushQueue() && Queued() > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd_, POLLOUT, 0};
    poll(&p, 1, static_cast<int>(left.count()));
  }
  return !broken_ && Queued() == 0;
}

TcpListener::~TcpListener() { Close(); }

bool TcpListener::Open(int port) {
  Close();
  if (port < 0 || port > 65535) return false;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 128) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  port_ = BoundPort(fd);
  return true;
}

void TcpListener::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  port_ = 0;
}

AcceptResult TcpListener::Accept(std::unique_ptr<TcpConnection>* out) {
  if (fd_ < 0) return AcceptResult::kFailed;
  while (true) {
    int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
      SetNoDelay(fd);
      *out = std::make_unique<TcpConnection>(fd);
      return AcceptResult::kConnection;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (WouldBlock(errno)) return AcceptResult::kNone;
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
      return AcceptResult::kOutOfResources;
    }
    return AcceptResult::kFailed;
  }
}

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open(int port) {
  Close();
  if (port < 0 || port > 65535) return false;
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  port_ = BoundPort(fd);
  return true;
}

void UdpSocket::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  port_ = 0;
}

long UdpSocket::Receive(char* buffer, size_t n, std::string* sender) {
  if (fd_ < 0) return -1;
  sockaddr_in from{};
  socklen_t length = sizeof from;
  ssize_t got = recvfrom(fd_, buffer, n, 0, reinterpret_cast<sockaddr*>(&from), &length);
  if (got < 0) return -1;
  if (sender) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    *sender = text;
  }
  return got;
}

std::string BroadcastAddress() {
  const char* configured = std::getenv("KRINGELBAHN_BROADCAST_ADDRESS");
  return configured && *configured ? configured : "255.255.255.255";
}

bool SendDatagram(const std::string& address, int port, std::string_view text) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  if (port <= 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) return false;
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
  ssize_t sent = sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(fd);
  return sent == static_cast<ssize_t>(text.size());
}

bool Broadcast(int port, std::string_view text) { return SendDatagram(BroadcastAddress(), port, text); }

}  // namespace kb
