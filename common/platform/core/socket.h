#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/core/address.h"

namespace kb {

// Once at start-up: a peer that closes must not kill the program with SIGPIPE.
bool InitNetwork();

// A non-blocking TCP connection. Sends that cannot leave at once are queued;
// a peer that stops reading until the queue passes its bound makes the
// connection broken, so one slow peer never stalls the caller.
class TcpConnection {
 public:
  static constexpr size_t kDefaultQueueLimit = 256 * 1024;

  explicit TcpConnection(int fd, size_t queueLimit = kDefaultQueueLimit);
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // Connects to a host name or dotted address, waiting at most timeoutMs for
  // the connection (a negative value waits as long as the system does), then
  // non-blocking; nullptr on failure. noDelay sets TCP_NODELAY (game
  // connections).
  static std::unique_ptr<TcpConnection> Open(const std::string& host, int port, bool noDelay = true,
                                             int timeoutMs = -1);

  int Fd() const { return fd_; }
  bool Broken() const { return broken_; }
  // The remote side's address in its plain form (PlainAddress: an IPv4 peer
  // of a dual-stack socket is dotted); empty when it cannot be known.
  std::string PeerAddress() const;

  // Copies at most n bytes that have arrived: the count, 0 when nothing is
  // there yet, -1 when the peer closed or the connection failed.
  long Receive(char* buffer, size_t n);

  // One send of these bytes, queueing what the socket does not take now.
  // false when the connection is (now) broken.
  bool Send(std::string_view bytes);
  // One send of the parts one after another (one system call however many).
  bool Send(std::span<const std::string_view> parts);
  // Sends what is queued, as far as the socket takes it.
  bool FlushQueue();
  size_t Queued() const { return queue_.size() - queueStart_; }

  // Blocks up to timeoutMs until the queue is empty; for shutdown and tools.
  bool Drain(int timeoutMs);

 private:
  int fd_;
  size_t queueLimit_;
  std::string queue_;
  size_t queueStart_ = 0;
  bool broken_ = false;
};

enum class AddressFamily { kAny, kIpv4, kIpv6 };

// Every address of a host name (or the literal itself) in its plain form;
// blocks on the system's resolver.
std::vector<std::string> ResolveHost(const std::string& host);

// The order in which a host's addresses are tried (RFC 8305): IPv6 first,
// then the families taking turns, each address once.
std::vector<IpAddress> HappyEyeballsOrder(const std::vector<IpAddress>& addresses);

// A TCP connection being opened while the caller goes on and asks now and
// then. A host name is resolved on a worker thread, as the system offers only
// a blocking call for it (a literal address needs none); the connects
// themselves never block. Of several addresses the next is started
// kAttemptDelayMs after the last one if that has not answered yet (at once
// when it failed), and the first to open wins, so a family that never
// answers costs a quarter of a second, not the time limit. Gives up at the
// time limit; dropping it abandons the attempt.
class TcpConnectAttempt {
 public:
  static constexpr int kAttemptDelayMs = 250;

  // host: a name, a literal address, or an IPv6 literal in brackets; only
  // addresses of the family are tried.
  TcpConnectAttempt(const std::string& host, int port, bool noDelay, int timeoutMs,
                    AddressFamily family = AddressFamily::kAny);
  // These addresses, in HappyEyeballsOrder, without resolving anything.
  TcpConnectAttempt(const std::vector<IpAddress>& addresses, int port, bool noDelay, int timeoutMs);
  ~TcpConnectAttempt();
  TcpConnectAttempt(const TcpConnectAttempt&) = delete;
  TcpConnectAttempt& operator=(const TcpConnectAttempt&) = delete;

  // The connection once it is open (once), else nullptr; Failed() tells
  // whether it never will be.
  std::unique_ptr<TcpConnection> Poll();
  bool Failed() const { return failed_; }
  // Connects started so far, for tools and tests.
  int Started() const { return static_cast<int>(next_); }

  struct Resolution;  // shared with the worker, which may outlive the attempt

 private:
  struct Try {
    int fd;
    IpAddress address;
  };
  std::unique_ptr<TcpConnection> Fail();
  void StartNext();

  std::shared_ptr<Resolution> resolution_;
  AddressFamily family_ = AddressFamily::kAny;
  int port_ = 0;
  bool noDelay_;
  bool failed_ = false;
  bool handedOver_ = false;
  bool resolved_ = false;
  std::vector<IpAddress> order_;
  size_t next_ = 0;
  std::vector<Try> running_;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::steady_clock::time_point nextStart_;
};

enum class AcceptResult { kConnection, kNone, kOutOfResources, kFailed };

// A non-blocking listening TCP socket: on every interface of both families
// (one dual-stack socket; IPv4 alone where the system has no IPv6), or on
// one address.
class TcpListener {
 public:
  ~TcpListener();
  // port 0 picks any free port; false when the port cannot be bound.
  bool Open(int port);
  // address: a literal IPv4 or IPv6 address ("0.0.0.0" or "::" for every
  // interface of that family alone), or empty for both families.
  bool Open(const std::string& address, int port);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  int Port() const { return port_; }
  // The system's reason why the last Open failed.
  std::string OpenError() const { return openError_; }
  // Takes one waiting connection (TCP_NODELAY set) into *out.
  AcceptResult Accept(std::unique_ptr<TcpConnection>* out);

 private:
  int fd_ = -1;
  int port_ = 0;
  std::string openError_;
};

// A bound, non-blocking UDP socket of both families (IPv4 alone where the
// system has no IPv6). The port may be shared with other programs
// (SO_REUSEADDR), so several servers or clients on one machine all receive
// the broadcasts and link multicasts sent to it.
class UdpSocket {
 public:
  ~UdpSocket();
  bool Open(int port);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  int Port() const { return port_; }
  // One datagram of at most n bytes: its length, or -1 when none waits.
  // The sender's plain address goes to *sender when given.
  long Receive(char* buffer, size_t n, std::string* sender = nullptr);
  // The interface the last datagram from an IPv6 link-local sender came
  // over (0 when unknown): where an answer by link multicast goes.
  unsigned SenderInterface() const { return senderInterface_; }

 private:
  int fd_ = -1;
  int port_ = 0;
  unsigned senderInterface_ = 0;
};

// The address in its dotted IPv4 form when text is one (an IPv4-mapped IPv6
// form "::ffff:a.b.c.d" is unwrapped); empty for anything else.
std::string DottedIpv4(std::string_view text);

// The plain addresses of a socket's peer and of its own end; empty when unknown.
std::string PeerAddressOf(int fd, int* port = nullptr);
std::string LocalAddressOf(int fd, int* port = nullptr);

// Where broadcasts go: KRINGELBAHN_BROADCAST_ADDRESS, else 255.255.255.255.
std::string BroadcastAddress();
// One datagram to BroadcastAddress() on the port from a new socket.
bool Broadcast(int port, std::string_view text);
// One datagram to a literal address (IPv4 or IPv6).
bool SendDatagram(const std::string& address, int port, std::string_view text);

// IPv6's counterpart of the broadcast: all nodes on the link.
constexpr std::string_view kLinkNodesAddress = "ff02::1";
// One datagram to ff02::1 on the port: over the interface given, else over
// every interface MulticastInterfaces() names. false when none took it.
bool SendLinkMulticast(int port, std::string_view text, unsigned interfaceIndex = 0);
// The interfaces a link multicast goes out on: the one that
// KRINGELBAHN_MULTICAST_INTERFACE names ("none": no multicast at all);
// without it every interface that is up and takes multicast, unless
// KRINGELBAHN_BROADCAST_ADDRESS is a loopback address: a test's discovery
// stays on this machine, so then none.
std::vector<unsigned> MulticastInterfaces();

}  // namespace kb
