#include "common/net/web_list.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "common/platform/core/socket.h"

namespace kb {
namespace {

constexpr size_t kResponseLimit = 1024 * 1024;

}  // namespace

std::string ExtractBetween(std::string_view text, std::string_view start, std::string_view end) {
  size_t from = text.find(start);
  if (from == std::string_view::npos) return {};
  from += start.size();
  size_t to = text.find(end, from);
  if (to == std::string_view::npos) return {};
  return std::string(text.substr(from, to - from));
}

ListHostAddress ParseListHost(std::string_view text) {
  if (text.empty()) text = kDefaultListHost;
  ListHostAddress address;
  address.header = std::string(text);
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    address.host = std::string(text);
    return address;
  }
  int port = 0;
  std::string_view digits = text.substr(colon + 1);
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (colon == 0 || error != std::errc() || end != digits.data() + digits.size() || port < 1 || port > 65535)
    return ParseListHost(kDefaultListHost);
  address.host = std::string(text.substr(0, colon));
  address.port = port;
  return address;
}

ListHostAddress ListHostFromEnvironment(const char* variable, std::string_view fallback) {
  const char* value = std::getenv(variable);
  return ParseListHost(value && *value ? std::string_view(value) : fallback);
}

std::string ListRequest(std::string_view pathAndQuery, const ListHostAddress& host) {
  std::string request = "GET ";
  request += pathAndQuery;
  request += " HTTP/1.0\r\nHost: ";
  request += host.header;
  request += "\r\nConnection: close\r\n\r\n";
  return request;
}

std::string ExchangeWithListHost(const ListHostAddress& host, std::string_view request, int timeoutMs) {
  auto connection = TcpConnection::Open(host.host, host.port, false, timeoutMs);
  if (!connection || !connection->Send(request)) return std::string(kListError);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string response;
  char buffer[8192];
  while (std::chrono::steady_clock::now() < end) {
    connection->FlushQueue();
    long got = connection->Receive(buffer, sizeof buffer);
    if (got > 0) {
      // The text of one receive ends at its first zero byte.
      std::string_view piece(buffer, static_cast<size_t>(got));
      response.append(piece.substr(0, piece.find('\0')));
      size_t start = response.find(kListDataStart);
      if (start != std::string::npos &&
          response.find(kListDataEnd, start + kListDataStart.size()) != std::string::npos)
        return ExtractBetween(response, kListDataStart, kListDataEnd);
      // A hostile host must not grow the response without bound.
      if (response.size() > kResponseLimit) break;
      continue;
    }
    if (got < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return std::string(kListError);
}

}  // namespace kb
