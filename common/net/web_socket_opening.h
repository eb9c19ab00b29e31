#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

// A browser's request head is a few hundred bytes; with cookies of the
// game's host a few KiB. More, or a head that does not arrive in time, is a
// peer holding a connection open.
constexpr size_t kHandshakeLimit = 8 * 1024;
constexpr int64_t kHandshakeTime = 5000;  // ms from the connection's accept

// The request head at the start of a connection that began with "GET ".
struct WebSocketHandshake {
  enum class State { kIncomplete, kUpgrade, kRefused };
  State state = State::kIncomplete;
  size_t length = 0;         // of the head, blank line included
  std::string answer;        // the HTTP answer: 101 with the accept key, or an error
  std::string forwardedFor;  // the last X-Forwarded-For line as sent
  std::string target;        // the request line's path and query
};

// Reads the request head (RFC 6455): an upgrade to a WebSocket of version 13
// with a key; a client that offers the "binary" protocol gets it named back,
// as browsers refuse the connection otherwise.
WebSocketHandshake ReadHandshake(std::string_view bytes);
// A complete HTTP answer that refuses and ends the connection.
std::string HttpRefusal(int status, std::string_view reason);

// The other side of the opening, as a browser speaks it (for a relay):
// a fresh random key, and the request head for host and target, naming the
// "binary" protocol and the player's address in X-Forwarded-For.
std::string NewWebSocketKey();
std::string ClientOpening(std::string_view host, std::string_view target, std::string_view key,
                          std::string_view forwardedFor);

// The server's answer to ClientOpening: kIncomplete until its head is whole
// (at most kHandshakeLimit), then kUpgrade with length set when it is a 101
// that accepts this key, else kRefused.
WebSocketHandshake::State ReadOpeningAnswer(std::string_view bytes, std::string_view key, size_t* length);

}  // namespace kb
