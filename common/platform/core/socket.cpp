#include "common/platform/core/socket.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/platform/core/socket_system.h"

namespace kb {
namespace {

using sockets::LastError;
using sockets::WouldBlock;

void SetOption(int fd, int level, int name) {
  int one = 1;
  setsockopt(fd, level, name, reinterpret_cast<const char*>(&one), sizeof one);
}

void SetNoDelay(int fd) { SetOption(fd, IPPROTO_TCP, TCP_NODELAY); }

// A socket of the type, after making sure the network is initialised.
int OpenSocket(int type) { return InitNetwork() ? sockets::Open(type) : -1; }

int BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

bool ResolveIpv4(const std::string& host, int port, sockaddr_in* out) {
  *out = {};
  if (!InitNetwork()) return false;
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

}  // namespace

bool InitNetwork() {
  static const bool ready = [] {
#ifdef _WIN32
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
#else
    signal(SIGPIPE, SIG_IGN);
    return true;
#endif
  }();
  return ready;
}

TcpConnection::TcpConnection(int fd, size_t queueLimit) : fd_(fd), queueLimit_(queueLimit) {
  sockets::SetNonBlocking(fd_);
}

TcpConnection::~TcpConnection() {
  if (fd_ < 0) return;
  // Closing with unread input makes the system reset the connection and
  // throw away what is still on its way to the peer (a goodbye such as
  // "MODE" 21), so the input is read away first; bounded, as a flooder's
  // input must not hold the caller.
  char sink[16384];
  for (int i = 0; i < 16 && recv(fd_, sink, sizeof sink, 0) > 0; ++i) {
  }
  sockets::Close(fd_);
}

struct TcpConnectAttempt::Resolution {
  std::mutex mutex;
  bool done = false;
  bool found = false;
  sockaddr_in address{};
};

TcpConnectAttempt::TcpConnectAttempt(const std::string& host, int port, bool noDelay, int timeoutMs)
    : resolution_(std::make_shared<Resolution>()),
      noDelay_(noDelay),
      deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
  if (port <= 0 || port > 65535 || !InitNetwork()) {
    failed_ = true;
    return;
  }
  Resolution& r = *resolution_;
  r.address.sin_family = AF_INET;
  r.address.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &r.address.sin_addr) == 1) {
    r.done = r.found = true;
    return;
  }
  try {
    std::thread([resolution = resolution_, host] {
      sockaddr_in address;
      bool found = ResolveIpv4(host, 0, &address);
      std::lock_guard lock(resolution->mutex);
      resolution->found = found;
      resolution->address.sin_addr = address.sin_addr;
      resolution->done = true;
    }).detach();
  } catch (const std::system_error&) {
    failed_ = true;
  }
}

TcpConnectAttempt::~TcpConnectAttempt() {
  if (fd_ >= 0) sockets::Close(fd_);
}

std::unique_ptr<TcpConnection> TcpConnectAttempt::Fail() {
  if (fd_ >= 0) sockets::Close(fd_);
  fd_ = -1;
  failed_ = true;
  return nullptr;
}

std::unique_ptr<TcpConnection> TcpConnectAttempt::Poll() {
  if (failed_ || handedOver_) return nullptr;
  if (std::chrono::steady_clock::now() >= deadline_) return Fail();
  if (fd_ < 0) {
    sockaddr_in address;
    {
      std::lock_guard lock(resolution_->mutex);
      if (!resolution_->done) return nullptr;
      if (!resolution_->found) return Fail();
      address = resolution_->address;
    }
    if ((fd_ = OpenSocket(SOCK_STREAM)) < 0) return Fail();
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        !sockets::ConnectPending(LastError()))
      return Fail();
  }
  bool broken = false;
  if (!sockets::WaitWritable(fd_, 0, &broken)) return nullptr;
  int error = 0;
  socklen_t length = sizeof error;
  if (broken || getsockopt(fd_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
      error != 0)
    return Fail();
  if (noDelay_) SetNoDelay(fd_);
  auto connection = std::make_unique<TcpConnection>(fd_);
  fd_ = -1;
  handedOver_ = true;
  return connection;
}

std::unique_ptr<TcpConnection> TcpConnection::Open(const std::string& host, int port, bool noDelay,
                                                   int timeoutMs) {
  TcpConnectAttempt attempt(host, port, noDelay, timeoutMs < 0 ? INT_MAX : timeoutMs);
  for (;;) {
    if (auto connection = attempt.Poll()) return connection;
    if (attempt.Failed()) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
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
  long got = recv(fd_, buffer, static_cast<int>(std::min<size_t>(n, INT32_MAX)), 0);
  if (got > 0) return got;
  if (got < 0 && WouldBlock(LastError())) return 0;
  broken_ = true;
  return -1;
}

bool TcpConnection::Send(std::string_view bytes) {
  if (broken_) return false;
  if (Queued() == 0) {
    while (!bytes.empty()) {
      long sent = send(fd_, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), INT32_MAX)),
                       sockets::kNoSignal);
      if (sent < 0) {
        int error = LastError();
        if (sockets::Interrupted(error)) continue;
        if (WouldBlock(error)) break;
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
    while (true) {
      long n = sockets::SendParts(fd_, parts);
      int error = n < 0 ? LastError() : 0;
      if (n < 0 && sockets::Interrupted(error)) continue;
      if (n < 0 && !WouldBlock(error)) {
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
    long sent = send(fd_, queue_.data() + queueStart_,
                     static_cast<int>(std::min<size_t>(Queued(), INT32_MAX)), sockets::kNoSignal);
    if (sent < 0) {
      int error = LastError();
      if (sockets::Interrupted(error)) continue;
      if (WouldBlock(error)) break;
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
    bool failed = false;
    sockets::WaitWritable(fd_, static_cast<int>(left.count()), &failed);
  }
  return !broken_ && Queued() == 0;
}

TcpListener::~TcpListener() { Close(); }

bool TcpListener::Open(int port) {
  Close();
  openError_ = "no such port";
  if (port < 0 || port > 65535) return false;
  auto failed = [this] {
    openError_ = std::system_category().message(LastError());
    return false;
  };
  int fd = OpenSocket(SOCK_STREAM);
  if (fd < 0) return failed();
  sockets::ReserveListeningPort(fd);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 128) != 0) {
    failed();
    sockets::Close(fd);
    return false;
  }
  openError_.clear();
  fd_ = fd;
  port_ = BoundPort(fd);
  return true;
}

void TcpListener::Close() {
  if (fd_ >= 0) sockets::Close(fd_);
  fd_ = -1;
  port_ = 0;
}

AcceptResult TcpListener::Accept(std::unique_ptr<TcpConnection>* out) {
  if (fd_ < 0) return AcceptResult::kFailed;
  while (true) {
    int fd = sockets::Accept(fd_);
    if (fd >= 0) {
      SetNoDelay(fd);
      *out = std::make_unique<TcpConnection>(fd);
      return AcceptResult::kConnection;
    }
    int error = LastError();
    if (sockets::AcceptRetry(error)) continue;
    if (WouldBlock(error)) return AcceptResult::kNone;
    if (sockets::OutOfResources(error)) return AcceptResult::kOutOfResources;
    return AcceptResult::kFailed;
  }
}

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open(int port) {
  Close();
  if (port < 0 || port > 65535) return false;
  int fd = OpenSocket(SOCK_DGRAM);
  if (fd < 0) return false;
  SetOption(fd, SOL_SOCKET, SO_REUSEADDR);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    sockets::Close(fd);
    return false;
  }
  fd_ = fd;
  port_ = BoundPort(fd);
  return true;
}

void UdpSocket::Close() {
  if (fd_ >= 0) sockets::Close(fd_);
  fd_ = -1;
  port_ = 0;
}

long UdpSocket::Receive(char* buffer, size_t n, std::string* sender) {
  if (fd_ < 0) return -1;
  sockaddr_in from{};
  socklen_t length = sizeof from;
  long got = recvfrom(fd_, buffer, static_cast<int>(std::min<size_t>(n, INT32_MAX)), 0,
                      reinterpret_cast<sockaddr*>(&from), &length);
  if (got < 0) return -1;
  if (sender) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    *sender = text;
  }
  return got;
}

std::string DottedIpv4(std::string_view text) {
  if (text.starts_with("::ffff:")) text.remove_prefix(7);
  in_addr address{};
  if (!InitNetwork() || inet_pton(AF_INET, std::string(text).c_str(), &address) != 1) return {};
  char out[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address, out, sizeof out);
  return out;
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
  int fd = OpenSocket(SOCK_DGRAM);
  if (fd < 0) return false;
  SetOption(fd, SOL_SOCKET, SO_BROADCAST);
  long sent =
      sendto(fd, text.data(), static_cast<int>(text.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  sockets::Close(fd);
  return sent == static_cast<long>(text.size());
}

bool Broadcast(int port, std::string_view text) { return SendDatagram(BroadcastAddress(), port, text); }

}  // namespace kb
