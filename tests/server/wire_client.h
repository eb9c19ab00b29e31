#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/net/protocol.h"
#include "common/net/receive_buffer.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"
#include "tests/support/socket_options.h"

namespace kb::testing {

// A message with its framing bytes made visible and told apart from blanks
// inside a text: "SCORES^0/255/0|1/65280/0", "CHAT^Hallo Welt^255".
inline std::string Readable(std::string m) {
  for (char& c : m)
    c = c == kFieldSeparator ? '^' : c == kEntrySeparator ? '|' : c == kSubFieldSeparator ? '/' : c;
  return m;
}

// A protocol-level client for tests; every wait is bounded.
class WireClient {
 public:
  // receiveBuffer > 0 shrinks the socket's receive buffer (a slow reader);
  // from picks the local address (127.0.0.2 is another machine to the server).
  bool Connect(int port, int receiveBuffer = 0, const char* from = nullptr) {
    if (from) {
      int fd = ConnectFrom(from, port);
      if (fd < 0) return false;
      connection_ = std::make_unique<TcpConnection>(fd);
    } else {
      connection_ = TcpConnection::Open("127.0.0.1", port);
    }
    if (connection_ && receiveBuffer > 0) SetSocketBuffer(connection_->Fd(), false, receiveBuffer);
    return connection_ != nullptr;
  }
  bool SendRaw(std::string_view bytes) {
    return connection_ && connection_->Send(bytes) && connection_->Drain(5000);
  }
  bool Send(std::string_view keyword, std::initializer_list<Field> fields = {}) {
    return SendRaw(BuildMessage(keyword, fields));
  }
  // Sends without waiting: what the socket does not take is queued.
  bool SendNow(std::string_view bytes) {
    return connection_ && connection_->Send(bytes) && connection_->FlushQueue();
  }
  // One receive of at most maxBytes if something waits: a reader on a slow link.
  void ReadSome(size_t maxBytes) { ReadOnce(0, maxBytes); }
  // Every message until the connection closes or nothing comes for timeoutMs.
  std::vector<std::string> Rest(int timeoutMs = 2000) {
    std::vector<std::string> out;
    while (auto m = Next(timeoutMs)) out.push_back(*m);
    return out;
  }

  // The next message within timeoutMs, or nothing (time out or closed).
  std::optional<std::string> Next(int timeoutMs = 5000) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pending_.empty() && !closed_ && Clock::now() < end) ReadOnce(50);
    if (pending_.empty()) return std::nullopt;
    std::string m = pending_.front();
    pending_.pop_front();
    return m;
  }
  // Skips messages until one passes the test and returns it.
  std::optional<std::string> WaitFor(const std::function<bool(const std::string&)>& test,
                                     int timeoutMs = 10000) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto m = Next(static_cast<int>(
               std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count())))
      if (test(*m)) return m;
    return std::nullopt;
  }
  std::optional<std::string> WaitFor(const std::string& exact, int timeoutMs = 10000) {
    return WaitFor([&](const std::string& m) { return m == exact; }, timeoutMs);
  }
  std::optional<std::string> WaitForPrefix(const std::string& prefix, int timeoutMs = 10000) {
    return WaitFor([&](const std::string& m) { return m.starts_with(prefix); }, timeoutMs);
  }
  // Reads until the server closes the connection.
  bool WaitClosed(int timeoutMs = 10000) {
    WaitFor([](const std::string&) { return false; }, timeoutMs);
    return closed_;
  }
  bool Closed() const { return closed_; }

 private:
  using Clock = std::chrono::steady_clock;
  void ReadOnce(int timeoutMs, size_t maxBytes = kReceiveBufferSize) {
    if (!connection_) return void(closed_ = true);
    Poller poller;
    poller.Add(connection_->Fd(), true, false);
    if (poller.Wait(timeoutMs) <= 0) return;
    char buffer[kReceiveBufferSize];
    long n = connection_->Receive(buffer, std::min(maxBytes, sizeof buffer));
    closed_ = n < 0 || !buffer_.Add(std::string_view(buffer, n > 0 ? n : 0));
    for (std::string m; buffer_.Next(m);) pending_.push_back(Readable(m));
  }

  std::unique_ptr<TcpConnection> connection_;
  ReceiveBuffer buffer_;
  std::deque<std::string> pending_;
  bool closed_ = false;
};

}  // namespace kb::testing
