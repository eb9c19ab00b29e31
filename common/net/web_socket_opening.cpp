#include "common/net/web_socket_opening.h"

#include <algorithm>
#include <cctype>
#include <random>

#include "common/platform/core/digest.h"

namespace kb {
namespace {

constexpr std::string_view kAcceptSuffix = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";

std::string_view Trim(std::string_view text) {
  size_t from = text.find_first_not_of(" \t");
  if (from == std::string_view::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Whether a comma-separated header value names the token.
bool HasToken(std::string_view list, std::string_view token, bool anyCase) {
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view item = Trim(list.substr(0, comma));
    if (anyCase ? SameLetters(item, token) : item == token) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

// 16 bytes in base64: 22 characters of the alphabet and "==".
bool ValidKey(std::string_view key) {
  if (key.size() != 24 || !key.ends_with("==")) return false;
  return std::all_of(key.begin(), key.end() - 2, [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/';
  });
}

}  // namespace

std::string HttpRefusal(int status, std::string_view reason) {
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " ";
  answer.append(reason);
  answer += "\r\nConnection: close\r\nContent-Length: 0\r\n";
  if (status == 426) answer += "Sec-WebSocket-Version: 13\r\n";
  return answer + "\r\n";
}

WebSocketHandshake ReadHandshake(std::string_view bytes) {
  WebSocketHandshake h;
  size_t end = bytes.substr(0, kHandshakeLimit).find("\r\n\r\n");
  if (end == std::string_view::npos || end + 4 > kHandshakeLimit) {
    if (bytes.size() >= kHandshakeLimit) {
      h.state = WebSocketHandshake::State::kRefused;
      h.answer = HttpRefusal(431, "Request Header Fields Too Large");
    }
    return h;
  }
  h.length = end + 4;
  h.state = WebSocketHandshake::State::kRefused;
  h.answer = HttpRefusal(400, "Bad Request");
  std::string_view head = bytes.substr(0, end + 2);
  size_t eol = head.find("\r\n");
  std::string_view line = head.substr(0, eol);
  if (!line.starts_with("GET ") || !line.ends_with(" HTTP/1.1")) return h;
  h.target = line.substr(4, line.size() - 4 - 9);
  head.remove_prefix(eol + 2);
  bool upgrade = false, connection = false, binary = false;
  std::string_view version, key;
  while (!head.empty()) {
    eol = head.find("\r\n");
    line = head.substr(0, eol);
    head.remove_prefix(eol + 2);
    size_t colon = line.find(':');
    // A folded line (leading blank) or one without a name is refused, as
    // RFC 7230 asks of a server.
    if (colon == std::string_view::npos || colon == 0 || line[0] == ' ' || line[0] == '\t') return h;
    std::string_view name = line.substr(0, colon), value = Trim(line.substr(colon + 1));
    if (SameLetters(name, "Upgrade")) {
      upgrade = upgrade || HasToken(value, "websocket", true);
    } else if (SameLetters(name, "Connection")) {
      connection = connection || HasToken(value, "Upgrade", true);
    } else if (SameLetters(name, "Sec-WebSocket-Version")) {
      version = value;
    } else if (SameLetters(name, "Sec-WebSocket-Key")) {
      key = value;
    } else if (SameLetters(name, "Sec-WebSocket-Protocol")) {
      binary = binary || HasToken(value, "binary", false);
    } else if (SameLetters(name, "X-Forwarded-For")) {
      h.forwardedFor = value;
    }
  }
  if (!upgrade || !connection || !ValidKey(key)) return h;
  if (version != "13") {
    h.answer = HttpRefusal(426, "Upgrade Required");
    return h;
  }
  std::string accept = Sha1Base64(std::string(key) + std::string(kAcceptSuffix));
  if (accept.empty()) {
    h.answer = HttpRefusal(500, "Internal Server Error");
    return h;
  }
  h.state = WebSocketHandshake::State::kUpgrade;
  h.answer =
      "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
      "Sec-WebSocket-Accept: " +
      accept + "\r\n";
  if (binary) h.answer += "Sec-WebSocket-Protocol: binary\r\n";
  h.answer += "\r\n";
  return h;
}

std::string NewWebSocketKey() {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  // 16 random bytes in base64: 21 whole characters, one of the last byte's
  // top two bits, and the padding.
  thread_local std::mt19937 random{std::random_device{}()};
  std::string key;
  for (int i = 0; i < 21; ++i) key += kAlphabet[random() % 64];
  key += kAlphabet[(random() % 4) * 16];
  return key + "==";
}

std::string ClientOpening(std::string_view host, std::string_view target, std::string_view key,
                          std::string_view forwardedFor) {
  std::string head = "GET ";
  head.append(target).append(" HTTP/1.1\r\nHost: ").append(host);
  head.append("\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: ").append(key);
  head.append("\r\nSec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: binary\r\n");
  if (!forwardedFor.empty()) head.append("X-Forwarded-For: ").append(forwardedFor).append("\r\n");
  return head + "\r\n";
}

WebSocketHandshake::State ReadOpeningAnswer(std::string_view bytes, std::string_view key, size_t* length) {
  using State = WebSocketHandshake::State;
  size_t end = bytes.substr(0, kHandshakeLimit).find("\r\n\r\n");
  if (end == std::string_view::npos)
    return bytes.size() >= kHandshakeLimit ? State::kRefused : State::kIncomplete;
  *length = end + 4;
  std::string_view head = bytes.substr(0, end + 2);
  if (!head.starts_with("HTTP/1.1 101 ")) return State::kRefused;
  std::string accept = Sha1Base64(std::string(key) + std::string(kAcceptSuffix));
  bool upgrade = false, accepted = false;
  for (head.remove_prefix(head.find("\r\n") + 2); !head.empty();) {
    size_t eol = head.find("\r\n");
    std::string_view line = head.substr(0, eol);
    head.remove_prefix(eol + 2);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return State::kRefused;
    std::string_view name = line.substr(0, colon), value = Trim(line.substr(colon + 1));
    upgrade = upgrade || (SameLetters(name, "Upgrade") && SameLetters(value, "websocket"));
    accepted = accepted || (SameLetters(name, "Sec-WebSocket-Accept") && value == accept);
  }
  return upgrade && accepted && !accept.empty() ? State::kUpgrade : State::kRefused;
}

}  // namespace kb
