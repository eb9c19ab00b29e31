#include "listd/relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/net/web_socket_opening.h"
#include "common/platform/core/address.h"
#include "listd/list_format.h"

namespace kb {
namespace {

// Written once, before the descriptor is closed: a browser waits for no more.
void SendLast(int fd, const std::string& bytes) {
  [[maybe_unused]] ssize_t ignored = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void NoDelay(int fd) {
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// A non-blocking connect to a literal address; -1 when it failed at once.
int ConnectTo(const std::string& address, int port) {
  std::optional<IpAddress> ip = ParseIpAddress(address);
  if (!ip) return -1;
  sockaddr_storage storage{};
  socklen_t length = 0;
  if (ip->v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(static_cast<uint16_t>(port));
    std::memcpy(&a->sin6_addr, ip->bytes.data(), 16);
    a->sin6_scope_id = ip->zone;
    length = sizeof *a;
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&storage);
    a->sin_family = AF_INET;
    a->sin_port = htons(static_cast<uint16_t>(port));
    std::memcpy(&a->sin_addr, ip->bytes.data(), 4);
    length = sizeof *a;
  }
  int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  NoDelay(fd);
  if (connect(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 && errno != EINPROGRESS) {
    close(fd);
    return -1;
  }
  return fd;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

bool ParsePlayTarget(std::string_view target, std::string* address, int* port) {
  if (!target.starts_with(kPlayPath) || target.size() <= kPlayPath.size() || target[kPlayPath.size()] != '?')
    return false;
  std::string_view query = target.substr(kPlayPath.size() + 1);
  std::optional<std::string_view> a, p;
  while (true) {
    std::string_view piece = query.substr(0, query.find('&'));
    size_t eq = piece.find('=');
    if (eq == std::string_view::npos) return false;
    std::string_view key = piece.substr(0, eq);
    std::optional<std::string_view>* slot = key == "address" ? &a : key == "port" ? &p : nullptr;
    if (!slot || *slot) return false;
    *slot = piece.substr(eq + 1);
    if (piece.size() == query.size()) break;
    query.remove_prefix(piece.size() + 1);
  }
  if (!a || !p) return false;
  // An IPv6 address may come with its colons escaped.
  std::string decoded;
  for (size_t i = 0; i < a->size(); ++i) {
    char c = (*a)[i];
    if (c == '%') {
      int high = i + 2 < a->size() ? HexDigit((*a)[i + 1]) : -1;
      int low = high >= 0 ? HexDigit((*a)[i + 2]) : -1;
      if (low < 0) return false;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    decoded += c;
  }
  std::optional<int> number = PortNumber(*p);
  *address = PlainAddress(decoded);
  if (!number || address->empty()) return false;
  *port = *number;
  return true;
}

Relay::Relay(RelayLimits limits) : limits_(limits) {
  poller_ = std::thread([this] { Poll(); });
}

Relay::~Relay() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  Wake();
  poller_.join();
  for (Link& link : links_) close(link.browser.fd), close(link.server.fd);
  for (Arrival& arrival : arrivals_) close(arrival.fd);
}

void Relay::Wake() { wake_.Wake(); }

bool Relay::Reserve(const std::string& player) {
  std::lock_guard lock(mutex_);
  int& mine = places_[AddressGroup(player)];
  if (stopping_ || placesTotal_ >= limits_.total || mine >= limits_.perGroup) {
    if (mine == 0) places_.erase(AddressGroup(player));
    return false;
  }
  ++mine, ++placesTotal_;
  return true;
}

void Relay::Release(const std::string& player) {
  std::lock_guard lock(mutex_);
  auto it = places_.find(AddressGroup(player));
  if (it == places_.end()) return;
  if (--it->second == 0) places_.erase(it);
  --placesTotal_;
}

void Relay::Adopt(int browserFd, const std::string& player, const std::string& address, int port,
                  std::string browserAnswer, std::string early) {
  ++count_;
  {
    std::lock_guard lock(mutex_);
    arrivals_.push_back({browserFd, player, address, port, std::move(browserAnswer), std::move(early)});
  }
  Wake();
}

void Relay::Start(Arrival& a, Clock::time_point now) {
  Link link;
  link.group = a.player;
  link.browser.fd = a.fd;
  link.deadline = now + std::chrono::milliseconds(limits_.openingMs);
  link.refilled = now;
  link.browserAnswer = std::move(a.browserAnswer);
  // Frames the browser sent before its answer wait for the game server's.
  link.held = std::move(a.early);
  link.key = NewWebSocketKey();
  link.browser.tokens = static_cast<double>(limits_.browserBytesPerSecond);
  link.server.tokens = static_cast<double>(limits_.serverBytesPerSecond);
  fcntl(a.fd, F_SETFL, fcntl(a.fd, F_GETFL) | O_NONBLOCK);
  NoDelay(a.fd);
  link.server.fd = ConnectTo(a.address, a.port);
  link.server.queue =
      ClientOpening(HostForUrl(a.address) + ":" + std::to_string(a.port), "/", link.key, a.player);
  links_.push_back(std::move(link));
  if (links_.back().server.fd < 0) Refuse(links_.back());
}

void Relay::Refuse(Link& link) {
  SendLast(link.browser.fd, HttpRefusal(502, "Bad Gateway"));
  Close(link);
}

void Relay::Close(Link& link) {
  if (link.browser.fd < 0) return;
  // Counted out first: whoever sees the close sees the place free.
  Release(link.group);
  --count_;
  shutdown(link.browser.fd, SHUT_WR);
  close(link.browser.fd);
  if (link.server.fd >= 0) close(link.server.fd);
  link.browser.fd = link.server.fd = -1;
}

bool Relay::Flush(Side& side) {
  while (side.sent < side.queue.size()) {
    ssize_t n = send(side.fd, side.queue.data() + side.sent, side.queue.size() - side.sent, MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
    if (n <= 0) return false;
    side.sent += static_cast<size_t>(n);
  }
  if (side.sent == side.queue.size()) {
    side.queue.clear(), side.sent = 0;
  } else if (side.sent >= limits_.readChunk) {
    side.queue.erase(0, side.sent), side.sent = 0;
  }
  return side.queue.size() - side.sent <= limits_.queueBytes;
}

bool Relay::Move(Side& from, Side& to) {
  char buffer[16 << 10];
  size_t room = std::min({sizeof buffer, limits_.readChunk, static_cast<size_t>(std::max(from.tokens, 0.0))});
  if (room == 0) return true;
  ssize_t n = recv(from.fd, buffer, room, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  if (n <= 0) {
    // What the closing side said last (its close frame) still goes across.
    Flush(to);
    return false;
  }
  from.tokens -= static_cast<double>(n);
  to.queue.append(buffer, static_cast<size_t>(n));
  return Flush(to);
}

bool Relay::ReadServerAnswer(Link& link, Clock::time_point) {
  char buffer[4096];
  size_t room = std::min(sizeof buffer, kHandshakeLimit - std::min(kHandshakeLimit, link.answer.size()));
  ssize_t n = recv(link.server.fd, buffer, std::max<size_t>(room, 1), 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  if (n <= 0) return Refuse(link), false;
  link.answer.append(buffer, static_cast<size_t>(n));
  size_t length = 0;
  auto state = ReadOpeningAnswer(link.answer, link.key, &length);
  if (state == WebSocketHandshake::State::kIncomplete) return true;
  if (state == WebSocketHandshake::State::kRefused) return Refuse(link), false;
  link.stage = Stage::kOpen;
  link.browser.queue = std::move(link.browserAnswer) + link.answer.substr(length);
  std::string().swap(link.answer);
  return Flush(link.browser) && Flush(link.server);
}

bool Relay::Step(Link& link, short browserEvents, short serverEvents, Clock::time_point now) {
  const short trouble = POLLERR | POLLHUP | POLLNVAL;
  switch (link.stage) {
    case Stage::kConnecting: {
      if (browserEvents & trouble) return Close(link), false;
      if (!serverEvents) return now < link.deadline || (Refuse(link), false);
      int error = 0;
      socklen_t size = sizeof error;
      if (getsockopt(link.server.fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
        return Refuse(link), false;
      link.stage = Stage::kOpening;
      return Flush(link.server) || (Refuse(link), false);
    }
    case Stage::kOpening:
      if (browserEvents & trouble) return Close(link), false;
      if ((serverEvents & POLLOUT) && !Flush(link.server)) return Refuse(link), false;
      if (serverEvents & (POLLIN | trouble)) {
        if (!ReadServerAnswer(link, now)) return false;
        if (link.stage == Stage::kOpen) {
          link.server.queue += link.held;
          std::string().swap(link.held);
          if (!Flush(link.server)) return Close(link), false;
        }
        return true;
      }
      return now < link.deadline || (Refuse(link), false);
    case Stage::kOpen: {
      bool open = true;
      if (open && (browserEvents & POLLOUT)) open = Flush(link.browser);
      if (open && (serverEvents & POLLOUT)) open = Flush(link.server);
      if (open && (browserEvents & (POLLIN | trouble))) open = Move(link.browser, link.server);
      if (open && (serverEvents & (POLLIN | trouble))) open = Move(link.server, link.browser);
      if (!open) Close(link);
      return open;
    }
  }
  return false;
}

void Relay::Poll() {
  std::vector<pollfd> fds;
  std::vector<Arrival> arrivals;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      arrivals.swap(arrivals_);
    }
    Clock::time_point now = Clock::now();
    for (Arrival& a : arrivals) Start(a, now);
    arrivals.clear();
    std::erase_if(links_, [](const Link& link) { return link.browser.fd < 0; });

    fds.assign(1, wake_.Entry());
    Clock::time_point soonest = now + std::chrono::seconds(1);
    for (Link& link : links_) {
      // Each side's allowance grows with time, up to one second's worth.
      double seconds = std::chrono::duration<double>(now - link.refilled).count();
      link.refilled = now;
      link.browser.tokens = std::min<double>(limits_.browserBytesPerSecond,
                                             link.browser.tokens + seconds * limits_.browserBytesPerSecond);
      link.server.tokens = std::min<double>(limits_.serverBytesPerSecond,
                                            link.server.tokens + seconds * limits_.serverBytesPerSecond);
      short browser = 0, server = 0;
      switch (link.stage) {
        case Stage::kConnecting:
          server = POLLOUT;
          break;
        case Stage::kOpening:
          server = static_cast<short>(POLLIN | (link.server.queue.size() > link.server.sent ? POLLOUT : 0));
          break;
        case Stage::kOpen:
          browser = static_cast<short>((link.browser.tokens >= 1 ? POLLIN : 0) |
                                       (link.browser.queue.size() > link.browser.sent ? POLLOUT : 0));
          server = static_cast<short>((link.server.tokens >= 1 ? POLLIN : 0) |
                                      (link.server.queue.size() > link.server.sent ? POLLOUT : 0));
          // A side out of allowance is looked at again soon.
          if (link.browser.tokens < 1 || link.server.tokens < 1)
            soonest = std::min(soonest, now + std::chrono::milliseconds(10));
          break;
      }
      if (link.stage != Stage::kOpen) soonest = std::min(soonest, link.deadline);
      fds.push_back({link.browser.fd, browser, 0});
      fds.push_back({link.server.fd, server, 0});
    }
    wake_.Wait(fds, soonest);
    now = Clock::now();
    for (size_t i = 0; i < links_.size(); ++i)
      Step(links_[i], fds[1 + 2 * i].revents, fds[2 + 2 * i].revents, now);
  }
}

}  // namespace kb
