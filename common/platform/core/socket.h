#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

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
  // The remote side's dotted address; empty when it cannot be known.
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

// A TCP connection being opened while the caller goes on and asks now and
// then. A host name is resolved on a worker thread, as the system offers only
// a blocking call for it (a dotted address needs none); the connect itself
// never blocks. Gives up at the time limit; dropping it abandons the attempt.
class TcpConnectAttempt {
 public:
  TcpConnectAttempt(const std::string& host, int port, bool noDelay, int timeoutMs);
  ~TcpConnectAttempt();
  TcpConnectAttempt(const TcpConnectAttempt&) = delete;
  TcpConnectAttempt& operator=(const TcpConnectAttempt&) = delete;

  // The connection once it is open (once), else nullptr; Failed() tells
  // whether it never will be.
  std::unique_ptr<TcpConnection> Poll();
  bool Failed() const { return failed_; }

  struct Resolution;  // shared with the worker, which may outlive the attempt

 private:
  std::unique_ptr<TcpConnection> Fail();

  std::shared_ptr<Resolution> resolution_;
  int fd_ = -1;
  bool noDelay_;
  bool failed_ = false;
  bool handedOver_ = false;
  std::chrono::steady_clock::time_point deadline_;
};

enum class AcceptResult { kConnection, kNone, kOutOfResources, kFailed };

// A non-blocking listening TCP socket on all interfaces.
class TcpListener {
 public:
  ~TcpListener();
  // port 0 picks any free port; false when the port cannot be bound.
  bool Open(int port);
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

// A bound, non-blocking UDP socket. The port may be shared with other
// programs (SO_REUSEADDR), so several servers or clients on one machine all
// receive the broadcasts sent to it.
class UdpSocket {
 public:
  ~UdpSocket();
  bool Open(int port);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  int Port() const { return port_; }
  // One datagram of at most n bytes: its length, or -1 when none waits.
  // The sender's dotted address goes to *sender when given.
  long Receive(char* buffer, size_t n, std::string* sender = nullptr);

 private:
  int fd_ = -1;
  int port_ = 0;
};

// The address in its dotted IPv4 form when text is one (an IPv4-mapped IPv6
// form "::ffff:a.b.c.d" is unwrapped); empty for anything else.
std::string DottedIpv4(std::string_view text);

// Where broadcasts go: KRINGELBAHN_BROADCAST_ADDRESS, else 255.255.255.255.
std::string BroadcastAddress();
// One datagram to BroadcastAddress() on the port from a new socket.
bool Broadcast(int port, std::string_view text);
// One datagram to a dotted address.
bool SendDatagram(const std::string& address, int port, std::string_view text);

}  // namespace kb
