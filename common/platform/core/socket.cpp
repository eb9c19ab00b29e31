#include "common/platform/core/socket.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "common/platform/core/socket_system.h"

namespace kb {
namespace {

using sockets::LastError;
using sockets::WouldBlock;

void SetOption(int fd, int level, int name, int value = 1) {
  setsockopt(fd, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

void SetNoDelay(int fd) { SetOption(fd, IPPROTO_TCP, TCP_NODELAY); }

// A socket of the family and type, after making sure the network is initialised.
int OpenSocket(int family, int type) { return InitNetwork() ? sockets::Open(family, type) : -1; }

// A system socket address and its length.
struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;
  sockaddr* Raw() { return reinterpret_cast<sockaddr*>(&storage); }
  int Family() const { return storage.ss_family; }
};

SocketAddress ToSocketAddress(const IpAddress& address, int port, unsigned interfaceIndex = 0) {
  SocketAddress out;
  if (address.v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&out.storage);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(static_cast<uint16_t>(port));
    std::memcpy(&a->sin6_addr, address.bytes.data(), 16);
    a->sin6_scope_id = interfaceIndex ? interfaceIndex : address.zone;
    out.length = sizeof *a;
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&out.storage);
    a->sin_family = AF_INET;
    a->sin_port = htons(static_cast<uint16_t>(port));
    std::memcpy(&a->sin_addr, address.bytes.data(), 4);
    out.length = sizeof *a;
  }
  return out;
}

// The address (an IPv4-mapped one unwrapped); false for other families.
bool FromSocketAddress(const sockaddr* raw, IpAddress* out, int* port = nullptr, unsigned* scope = nullptr) {
  if (raw->sa_family == AF_INET) {
    auto* a = reinterpret_cast<const sockaddr_in*>(raw);
    *out = {};
    std::memcpy(out->bytes.data(), &a->sin_addr, 4);
    if (port) *port = ntohs(a->sin_port);
    if (scope) *scope = 0;
    return true;
  }
  if (raw->sa_family != AF_INET6) return false;
  auto* a = reinterpret_cast<const sockaddr_in6*>(raw);
  IpAddress v6{true, {}};
  std::memcpy(v6.bytes.data(), &a->sin6_addr, 16);
  *out = *ParseIpAddress(FormatIpAddress(v6));
  if (port) *port = ntohs(a->sin6_port);
  if (scope) *scope = a->sin6_scope_id;
  return true;
}

int BoundPort(int fd) {
  SocketAddress bound;
  bound.length = sizeof bound.storage;
  IpAddress ignored;
  int port = 0;
  if (getsockname(fd, bound.Raw(), &bound.length) != 0 || !FromSocketAddress(bound.Raw(), &ignored, &port))
    return 0;
  return port;
}

// Binds a new socket of the address's family; an IPv6 socket on "::" takes
// IPv4 too unless v6Only. -1 with the system's error left in LastError().
int BindSocket(int type, const IpAddress& address, int port, bool v6Only, bool shared) {
  int fd = OpenSocket(address.v6 ? AF_INET6 : AF_INET, type);
  if (fd < 0) return -1;
  if (address.v6) SetOption(fd, IPPROTO_IPV6, IPV6_V6ONLY, v6Only ? 1 : 0);
  if (shared) {
    SetOption(fd, SOL_SOCKET, SO_REUSEADDR);
  } else {
    sockets::ReserveListeningPort(fd);
  }
  SocketAddress local = ToSocketAddress(address, port);
  if (bind(fd, local.Raw(), local.length) != 0) {
    int error = LastError();
    sockets::Close(fd);
#ifdef _WIN32
    WSASetLastError(error);
#else
    errno = error;
#endif
    return -1;
  }
  return fd;
}

bool NoIpv6(int error) {
#ifdef _WIN32
  return error == WSAEAFNOSUPPORT || error == WSAEADDRNOTAVAIL;
#else
  return error == EAFNOSUPPORT || error == EADDRNOTAVAIL;
#endif
}

// Every interface of both families where the system can, else of IPv4 alone.
int BindEverywhere(int type, int port, bool shared) {
  int fd = BindSocket(type, IpAddress{true, {}}, port, false, shared);
  if (fd < 0 && NoIpv6(LastError())) fd = BindSocket(type, IpAddress{}, port, false, shared);
  return fd;
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
  std::vector<IpAddress> addresses;
};

std::vector<IpAddress> HappyEyeballsOrder(const std::vector<IpAddress>& addresses) {
  std::vector<IpAddress> families[2];
  for (const IpAddress& a : addresses) {
    std::vector<IpAddress>& same = families[a.v6 ? 0 : 1];
    if (std::find(same.begin(), same.end(), a) == same.end()) same.push_back(a);
  }
  std::vector<IpAddress> order;
  for (size_t i = 0; i < std::max(families[0].size(), families[1].size()); ++i)
    for (const std::vector<IpAddress>& family : families)
      if (i < family.size()) order.push_back(family[i]);
  return order;
}

namespace {

// The system's blocking lookup of a host name: its addresses of the family.
std::vector<IpAddress> LookUp(const std::string& name, AddressFamily family) {
  std::vector<IpAddress> found;
  addrinfo hints{};
  hints.ai_family = family == AddressFamily::kIpv4   ? AF_INET
                    : family == AddressFamily::kIpv6 ? AF_INET6
                                                     : AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (!InitNetwork() || getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0) return found;
  IpAddress address;
  for (addrinfo* a = result; a; a = a->ai_next)
    if (FromSocketAddress(a->ai_addr, &address)) found.push_back(address);
  freeaddrinfo(result);
  return found;
}

}  // namespace

std::vector<std::string> ResolveHost(const std::string& host) {
  std::string name(WithoutBrackets(host));
  if (std::optional<IpAddress> literal = ParseIpAddress(name)) return {FormatIpAddress(*literal)};
  std::vector<std::string> found;
  for (const IpAddress& address : LookUp(name, AddressFamily::kAny))
    found.push_back(FormatIpAddress(address));
  return found;
}

TcpConnectAttempt::TcpConnectAttempt(const std::string& host, int port, bool noDelay, int timeoutMs,
                                     AddressFamily family)
    : resolution_(std::make_shared<Resolution>()),
      family_(family),
      port_(port),
      noDelay_(noDelay),
      deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
  if (port <= 0 || port > 65535 || !InitNetwork()) {
    failed_ = true;
    return;
  }
  std::string name(WithoutBrackets(host));
  if (std::optional<IpAddress> literal = ParseIpAddress(name)) {
    resolution_->addresses.push_back(*literal);
    resolution_->done = true;
    return;
  }
  try {
    std::thread([resolution = resolution_, name, family] {
      std::vector<IpAddress> found = LookUp(name, family);
      std::lock_guard lock(resolution->mutex);
      resolution->addresses = std::move(found);
      resolution->done = true;
    }).detach();
  } catch (const std::system_error&) {
    failed_ = true;
  }
}

TcpConnectAttempt::TcpConnectAttempt(const std::vector<IpAddress>& addresses, int port, bool noDelay,
                                     int timeoutMs)
    : resolution_(std::make_shared<Resolution>()),
      port_(port),
      noDelay_(noDelay),
      deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
  failed_ = port <= 0 || port > 65535 || !InitNetwork();
  resolution_->addresses = addresses;
  resolution_->done = true;
}

TcpConnectAttempt::~TcpConnectAttempt() {
  for (const Try& t : running_) sockets::Close(t.fd);
}

std::unique_ptr<TcpConnection> TcpConnectAttempt::Fail() {
  for (const Try& t : running_) sockets::Close(t.fd);
  running_.clear();
  failed_ = true;
  return nullptr;
}

// Starts the next address's connect; one that fails at once (no route for
// its family, say) is dropped, and the caller goes on to the next.
void TcpConnectAttempt::StartNext() {
  const IpAddress& address = order_[next_++];
  nextStart_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAttemptDelayMs);
  int fd = OpenSocket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM);
  if (fd < 0) return;
  SocketAddress to = ToSocketAddress(address, port_);
  if (connect(fd, to.Raw(), to.length) != 0 && !sockets::ConnectPending(LastError())) {
    sockets::Close(fd);
    return;
  }
  running_.push_back({fd, address});
}

std::unique_ptr<TcpConnection> TcpConnectAttempt::Poll() {
  if (failed_ || handedOver_) return nullptr;
  auto now = std::chrono::steady_clock::now();
  if (now >= deadline_) return Fail();
  if (!resolved_) {
    std::lock_guard lock(resolution_->mutex);
    if (!resolution_->done) return nullptr;
    std::vector<IpAddress> wanted;
    for (const IpAddress& a : resolution_->addresses)
      if (family_ == AddressFamily::kAny || a.v6 == (family_ == AddressFamily::kIpv6)) wanted.push_back(a);
    order_ = HappyEyeballsOrder(wanted);
    resolved_ = true;
  }
  // The next address when the last one is over or has had its time.
  while (next_ < order_.size() && (running_.empty() || now >= nextStart_)) StartNext();
  for (size_t i = 0; i < running_.size();) {
    int fd = running_[i].fd;
    bool broken = false;
    if (!sockets::WaitWritable(fd, 0, &broken)) {
      ++i;
      continue;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (broken || getsockopt(fd, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
        error != 0) {
      sockets::Close(fd);
      running_.erase(running_.begin() + static_cast<long>(i));
      // A refusal need not wait for the delay: the next goes at once.
      nextStart_ = now;
      continue;
    }
    running_.erase(running_.begin() + static_cast<long>(i));
    for (const Try& t : running_) sockets::Close(t.fd);
    running_.clear();
    if (noDelay_) SetNoDelay(fd);
    handedOver_ = true;
    return std::make_unique<TcpConnection>(fd);
  }
  if (running_.empty() && next_ < order_.size()) return Poll();
  if (running_.empty()) return Fail();
  return nullptr;
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

std::string TcpConnection::PeerAddress() const { return PeerAddressOf(fd_); }

namespace {

// The address that getpeername or getsockname reports, in its plain form.
template <typename Query>
std::string EndAddress(Query query, int fd, int* port) {
  SocketAddress end;
  end.length = sizeof end.storage;
  IpAddress address;
  if (query(fd, end.Raw(), &end.length) != 0 || !FromSocketAddress(end.Raw(), &address, port)) return {};
  return FormatIpAddress(address);
}

}  // namespace

std::string PeerAddressOf(int fd, int* port) { return EndAddress(getpeername, fd, port); }

std::string LocalAddressOf(int fd, int* port) { return EndAddress(getsockname, fd, port); }

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

bool TcpListener::Open(int port) { return Open("", port); }

bool TcpListener::Open(const std::string& address, int port) {
  Close();
  openError_ = "no such port";
  if (port < 0 || port > 65535) return false;
  std::optional<IpAddress> only;
  if (!address.empty() && !(only = ParseIpAddress(WithoutBrackets(address)))) {
    openError_ = "no such address: " + address;
    return false;
  }
  int fd =
      only ? BindSocket(SOCK_STREAM, *only, port, true, false) : BindEverywhere(SOCK_STREAM, port, false);
  if (fd < 0 || listen(fd, 128) != 0) {
    openError_ = std::system_category().message(LastError());
    if (fd >= 0) sockets::Close(fd);
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
  int fd = BindEverywhere(SOCK_DGRAM, port, true);
  if (fd < 0) return false;
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
  SocketAddress from;
  from.length = sizeof from.storage;
  long got =
      recvfrom(fd_, buffer, static_cast<int>(std::min<size_t>(n, INT32_MAX)), 0, from.Raw(), &from.length);
  if (got < 0) return -1;
  IpAddress address;
  bool known = FromSocketAddress(from.Raw(), &address, nullptr, &senderInterface_);
  if (sender) *sender = known ? FormatIpAddress(address) : std::string();
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

namespace {

bool SendTo(const IpAddress& address, int port, std::string_view text, unsigned interfaceIndex) {
  int fd = OpenSocket(address.v6 ? AF_INET6 : AF_INET, SOCK_DGRAM);
  if (fd < 0) return false;
  if (!address.v6) SetOption(fd, SOL_SOCKET, SO_BROADCAST);
  if (address.v6 && interfaceIndex)
    SetOption(fd, IPPROTO_IPV6, IPV6_MULTICAST_IF, static_cast<int>(interfaceIndex));
  SocketAddress to = ToSocketAddress(address, port, interfaceIndex);
  long sent = sendto(fd, text.data(), static_cast<int>(text.size()), 0, to.Raw(), to.length);
  sockets::Close(fd);
  return sent == static_cast<long>(text.size());
}

}  // namespace

bool SendDatagram(const std::string& address, int port, std::string_view text) {
  std::optional<IpAddress> to = ParseIpAddress(address);
  if (port <= 0 || port > 65535 || !to) return false;
  return SendTo(*to, port, text, 0);
}

std::vector<unsigned> MulticastInterfaces() {
  if (const char* named = std::getenv("KRINGELBAHN_MULTICAST_INTERFACE"); named && *named) {
    if (std::string_view(named) == "none") return {};
    unsigned index = sockets::InterfaceIndex(named);
    return index ? std::vector<unsigned>{index} : std::vector<unsigned>{};
  }
  std::optional<IpAddress> broadcast = ParseIpAddress(BroadcastAddress());
  if (broadcast && !broadcast->v6 && broadcast->bytes[0] == 127) return {};
  return sockets::LinkInterfaces();
}

bool SendLinkMulticast(int port, std::string_view text, unsigned interfaceIndex) {
  if (port <= 0 || port > 65535 || !InitNetwork()) return false;
  IpAddress group = *ParseIpAddress(kLinkNodesAddress);
  std::vector<unsigned> interfaces =
      interfaceIndex ? std::vector<unsigned>{interfaceIndex} : MulticastInterfaces();
  bool sent = false;
  for (unsigned index : interfaces) sent = SendTo(group, port, text, index) || sent;
  return sent;
}

bool Broadcast(int port, std::string_view text) { return SendDatagram(BroadcastAddress(), port, text); }

}  // namespace kb
