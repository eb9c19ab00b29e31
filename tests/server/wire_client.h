#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/net/protocol.h"
#include "common/net/receive_buffer.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"

namespace kb::testing {

// A protocol-level client for tests: sends messages, reads the server's
// answers as readable text ("MODE 10"), every wait bounded.
class WireClient {
 public:
  // receiveBuffer > 0 shrinks the socket's receive buffer (a slow reader).
  bool Connect(int port, int receiveBuffer = 0) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    if (receiveBuffer > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return false;
    }
    connection_ = std::make_unique<TcpConnection>(fd, 64 * 1024 * 1024);
    return true;
  }
  void Disconnect() { connection_.reset(); }

  bool SendRaw(std::string_view bytes) {
    if (!connection_ || !connection_->Send(bytes)) return false;
    return connection_->Drain(5000);
  }
  bool Send(std::string_view keyword, std::initializer_list<Field> fields = {}) {
    return SendRaw(BuildMessage(keyword, fields));
  }

  // The next message within timeoutMs, or nothing (time out or closed).
  std::optional<std::string> Next(int timeoutMs = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pending_.empty() && !closed_) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      ReadOnce(static_cast<int>(left.count()));
    }
    if (pending_.empty()) return std::nullopt;
    std::string m = pending_.front();
    pending_.pop_front();
    return m;
  }
  // Reads until a message passes the test; it is returned, the ones before it
  // are skipped (and counted in *skipped when given).
  std::optional<std::string> WaitFor(const std::function<bool(const std::string&)>& test,
                                     int timeoutMs = 10000, std::vector<std::string>* skipped = nullptr) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      auto m = Next(static_cast<int>(left.count()));
      if (!m) return std::nullopt;
      if (test(*m)) return m;
      if (skipped) skipped->push_back(*m);
    }
  }
  std::optional<std::string> WaitFor(const std::string& exact, int timeoutMs = 10000) {
    return WaitFor([&](const std::string& m) { return m == exact; }, timeoutMs);
  }
  std::optional<std::string> WaitForPrefix(const std::string& prefix, int timeoutMs = 10000) {
    return WaitFor([&](const std::string& m) { return m.rfind(prefix, 0) == 0; }, timeoutMs);
  }

  // Reads until the server closes the connection (bounded).
  bool WaitClosed(int timeoutMs = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!closed_ && std::chrono::steady_clock::now() < end) {
      ReadOnce(50);
      pending_.clear();
    }
    return closed_;
  }
  bool Closed() const { return closed_; }

  static std::string Readable(std::string m) {
    for (char& c : m) {
      if (c == kFieldSeparator) c = ' ';
      if (c == kEntrySeparator) c = '|';
      if (c == kSubFieldSeparator) c = '/';
    }
    return m;
  }

 private:
  void ReadOnce(int timeoutMs) {
    if (!connection_) {
      closed_ = true;
      return;
    }
    Poller poller;
    poller.Add(connection_->Fd(), true, false);
    if (poller.Wait(timeoutMs) <= 0) return;
    char buffer[kReceiveBufferSize];
    long n = connection_->Receive(buffer, sizeof buffer);
    if (n < 0) {
      closed_ = true;
      return;
    }
    buffer_.Add(std::string_view(buffer, static_cast<size_t>(n)));
    std::string m;
    while (buffer_.Next(m)) pending_.push_back(Readable(m));
  }

  std::unique_ptr<TcpConnection> connection_;
  ReceiveBuffer buffer_;
  std::deque<std::string> pending_;
  bool closed_ = false;
};

}  // namespace kb::testing
