#pragma once

// The few places where Winsock and POSIX sockets differ, for the platform's
// socket sources only. Descriptors are kept as int on both: Windows socket
// handles are kernel handles, whose significant bits fit 32 bits.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <ifaddrs.h>
#endif

namespace kb::sockets {

#ifdef _WIN32
using PollEntry = WSAPOLLFD;
constexpr int kNoSignal = 0;

inline int LastError() { return WSAGetLastError(); }
inline bool WouldBlock(int e) { return e == WSAEWOULDBLOCK || e == WSAEINTR; }
inline bool Interrupted(int e) { return e == WSAEINTR; }
inline bool ConnectPending(int e) { return e == WSAEWOULDBLOCK || e == WSAEINPROGRESS; }
inline bool AcceptRetry(int e) { return e == WSAEINTR || e == WSAECONNRESET; }
inline bool OutOfResources(int e) { return e == WSAEMFILE || e == WSAENOBUFS; }
inline void Close(int fd) { closesocket(static_cast<SOCKET>(fd)); }
inline void SetNonBlocking(int fd) {
  u_long on = 1;
  ioctlsocket(static_cast<SOCKET>(fd), FIONBIO, &on);
}
inline int Poll(PollEntry* entries, size_t n, int timeoutMs) {
  return WSAPoll(entries, static_cast<ULONG>(n), timeoutMs);
}

// A non-blocking socket that child processes do not inherit; -1 on failure.
inline int Open(int family, int type) {
  SOCKET s = WSASocketW(family, type, 0, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return -1;
  SetNonBlocking(static_cast<int>(s));
  return static_cast<int>(s);
}

inline int Accept(int listener) {
  SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return -1;
  SetNonBlocking(static_cast<int>(s));
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  return static_cast<int>(s);
}

// A listening port that no other program may take over while it is open.
inline void ReserveListeningPort(int fd) {
  BOOL on = TRUE;
  setsockopt(fd, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
}

// Sends the parts with one call; the bytes sent or -1.
inline long SendParts(int fd, std::span<const std::string_view> parts) {
  WSABUF buffers[64];
  for (size_t i = 0; i < parts.size(); ++i)
    buffers[i] = {static_cast<ULONG>(parts[i].size()), const_cast<char*>(parts[i].data())};
  DWORD sent = 0;
  if (WSASend(static_cast<SOCKET>(fd), buffers, static_cast<DWORD>(parts.size()), &sent, 0, nullptr,
              nullptr) != 0)
    return -1;
  return static_cast<long>(sent);
}

// Whether the socket became writable (a connect finished) within timeoutMs;
// select, as poll does not report a refused connect on older Windows.
// Windows picks the interface of a link multicast itself.
inline std::vector<unsigned> LinkInterfaces() { return {0}; }
// An interface by its number (Windows names are not short words).
inline unsigned InterfaceIndex(const char* name) { return static_cast<unsigned>(std::strtoul(name, nullptr, 10)); }

inline bool WaitWritable(int fd, int timeoutMs, bool* failed) {
  fd_set write, error;
  FD_ZERO(&write);
  FD_ZERO(&error);
  FD_SET(static_cast<SOCKET>(fd), &write);
  FD_SET(static_cast<SOCKET>(fd), &error);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int ready = select(0, nullptr, &write, &error, timeoutMs < 0 ? nullptr : &limit);
  *failed = ready > 0 && FD_ISSET(static_cast<SOCKET>(fd), &error);
  return ready > 0;
}
#else
using PollEntry = pollfd;
constexpr int kNoSignal = MSG_NOSIGNAL;

inline int LastError() { return errno; }
inline bool WouldBlock(int e) { return e == EAGAIN || e == EWOULDBLOCK || e == EINTR; }
inline bool Interrupted(int e) { return e == EINTR; }
inline bool ConnectPending(int e) { return e == EINPROGRESS || e == EINTR; }
inline bool AcceptRetry(int e) { return e == EINTR || e == ECONNABORTED; }
inline bool OutOfResources(int e) { return e == EMFILE || e == ENFILE || e == ENOBUFS || e == ENOMEM; }
inline void Close(int fd) { close(fd); }
inline void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }
inline int Poll(PollEntry* entries, size_t n, int timeoutMs) { return poll(entries, n, timeoutMs); }

inline int Open(int family, int type) { return socket(family, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }
inline int Accept(int listener) { return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); }

// A restarted server takes its port at once, past connections in TIME_WAIT;
// on POSIX systems this does not let a second listener share the port.
inline void ReserveListeningPort(int fd) {
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
}

inline long SendParts(int fd, std::span<const std::string_view> parts) {
  iovec vectors[64];
  for (size_t i = 0; i < parts.size(); ++i)
    vectors[i] = {const_cast<char*>(parts[i].data()), parts[i].size()};
  msghdr message{};
  message.msg_iov = vectors;
  message.msg_iovlen = parts.size();
  return sendmsg(fd, &message, MSG_NOSIGNAL);
}

// Interfaces that are up, take multicast and have an IPv6 address.
inline std::vector<unsigned> LinkInterfaces() {
  std::vector<unsigned> found;
#ifndef __EMSCRIPTEN__
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return found;
  for (ifaddrs* a = all; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET6 || !(a->ifa_flags & IFF_UP) ||
        !(a->ifa_flags & IFF_MULTICAST) || (a->ifa_flags & IFF_LOOPBACK))
      continue;
    unsigned index = if_nametoindex(a->ifa_name);
    bool known = false;
    for (unsigned f : found) known = known || f == index;
    if (index && !known) found.push_back(index);
  }
  freeifaddrs(all);
#endif
  return found;
}

inline unsigned InterfaceIndex(const char* name) {
#ifdef __EMSCRIPTEN__
  return 0;
#else
  return if_nametoindex(name);
#endif
}

inline bool WaitWritable(int fd, int timeoutMs, bool* failed) {
  pollfd p{fd, POLLOUT, 0};
  int ready = poll(&p, 1, timeoutMs);
  *failed = ready > 0 && (p.revents & (POLLERR | POLLHUP));
  return ready > 0;
}
#endif

}  // namespace kb::sockets
