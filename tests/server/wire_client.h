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
#include "server/web_socket.h"
#include "tests/support/socket_options.h"

namespace kb::testing {

// A message with its framing bytes made visible and told apart from blanks
// inside a text: "SCORES^0/255/0|1/65280/0", "CHAT^Hallo Welt^255".
inline std::string Readable(std::string m) {
  for (char& c : m)
    c = c == kFieldSeparator ? '^' : c == kEntrySeparator ? '|' : c == kSubFieldSeparator ? '/' : c;
  return m;
}

// How a test client reaches the game port: as the game client does, or as
// a browser does (WebSocket, binary frames).
enum class Wire { kTcp, kWebSocket };
constexpr Wire kWires[] = {Wire::kTcp, Wire::kWebSocket};
inline const char* WireName(Wire wire) { return wire == Wire::kTcp ? "tcp" : "websocket"; }

// A protocol-level client for tests; every wait is bounded. Over a WebSocket
// it sends its handshake at once and reads the answer before the first
// frame, so a server that is stepped by the test need not answer at once.
class WireClient {
 public:
  // headers: more lines for the handshake, each ended by CR LF.
  explicit WireClient(Wire wire = Wire::kTcp, std::string headers = {}, std::string target = "/kringelbahn")
      : wire_(wire), headers_(std::move(headers)), target_(std::move(target)) {}

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
    if (!connection_ || wire_ == Wire::kTcp) return connection_ != nullptr;
    framing_ = std::make_unique<WebSocketFraming>(WebSocketFraming::Side::kClient);
    return SendWire("GET " + target_ +
                    " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                    "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                    "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: binary\r\n" +
                    headers_ + "\r\n");
  }
  // Game bytes, in one frame over a WebSocket.
  bool SendRaw(std::string_view bytes) { return SendWire(Wrap(bytes)); }
  bool Send(std::string_view keyword, std::initializer_list<Field> fields = {}) {
    return SendRaw(BuildMessage(keyword, fields));
  }
  // Sends without waiting: what the socket does not take is queued.
  bool SendNow(std::string_view bytes) {
    return connection_ && connection_->Send(Wrap(bytes)) && connection_->FlushQueue();
  }
  // Bytes as they are to go on the wire, never framed.
  bool SendWire(std::string_view bytes) {
    return connection_ && connection_->Send(bytes) && connection_->Drain(5000);
  }
  // The server's close frame's code.
  uint16_t CloseCode() const { return framing_ ? framing_->CloseCode() : 0; }
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
  // The head of the WebSocket answer so far (its status line first).
  const std::string& Answer() const { return answer_; }

 private:
  using Clock = std::chrono::steady_clock;
  void ReadOnce(int timeoutMs, size_t maxBytes = kReceiveBufferSize) {
    if (!connection_) return void(closed_ = true);
    Poller poller;
    poller.Add(connection_->Fd(), true, false);
    if (poller.Wait(timeoutMs) <= 0) return;
    char buffer[kReceiveBufferSize];
    long n = connection_->Receive(buffer, std::min(maxBytes, sizeof buffer));
    closed_ = n < 0 || !Unwrap(std::string_view(buffer, n > 0 ? n : 0));
    for (std::string m; buffer_.Next(m);) pending_.push_back(Readable(m));
  }
  std::string Wrap(std::string_view bytes) {
    if (!framing_) return std::string(bytes);
    std::string_view parts[] = {bytes};
    framing_->Encode(parts);
    std::string framed = std::move(framing_->Output());
    framing_->Output().clear();
    return framed;
  }
  bool Unwrap(std::string_view bytes) {
    if (!framing_) return buffer_.Add(bytes);
    std::string rest(bytes);
    if (answer_.empty() || !answer_.ends_with("\r\n\r\n")) {
      answer_ += rest;
      size_t end = answer_.find("\r\n\r\n");
      if (end == std::string::npos) return true;
      rest = answer_.substr(end + 4);
      answer_.resize(end + 4);
    }
    std::string data;
    bool open = framing_->Decode(rest, data);
    return buffer_.Add(data) && open;
  }

  Wire wire_;
  std::string headers_;
  std::string target_;
  std::unique_ptr<WebSocketFraming> framing_;
  std::string answer_;
  std::unique_ptr<TcpConnection> connection_;
  ReceiveBuffer buffer_;
  std::deque<std::string> pending_;
  bool closed_ = false;
};

}  // namespace kb::testing
