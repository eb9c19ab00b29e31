#include "common/net/web_list.h"

#include <charconv>
#include <cstdlib>

namespace kb {

// Strict decimal: digits only, no sign, no leading blanks.
std::optional<int> PortNumber(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' || text[0] == '+')
    return std::nullopt;
  if (value < 1 || value > 65535) return std::nullopt;
  return value;
}

std::string ListNameProblem(std::string_view latin1Name) {
  if (latin1Name.empty()) return "the name is empty";
  if (latin1Name.size() > kListNameBytes)
    return "the name has " + std::to_string(latin1Name.size()) + " bytes, the list takes at most " +
           std::to_string(kListNameBytes);
  for (unsigned char c : latin1Name)
    if (c < 0x20 || c == 0x7F) return "the name holds a control character";
  // It would cut every client's list short.
  if (latin1Name.find(kListDataEnd) != std::string_view::npos) return "the name holds \"[/data]\"";
  return {};
}

std::string ExtractBetween(std::string_view text, std::string_view start, std::string_view end) {
  size_t from = text.find(start);
  if (from == std::string_view::npos) return {};
  from += start.size();
  size_t to = text.find(end, from);
  if (to == std::string_view::npos) return {};
  return std::string(text.substr(from, to - from));
}

bool ListResponse::Add(std::string_view receive) {
  text_.append(receive.substr(0, receive.find('\0')));
  size_t start = text_.find(kListDataStart);
  complete_ = start != std::string::npos &&
              text_.find(kListDataEnd, start + kListDataStart.size()) != std::string::npos;
  return complete_ || text_.size() > kListResponseLimit;
}

std::string ListResponse::Payload() const {
  return complete_ ? ExtractBetween(text_, kListDataStart, kListDataEnd) : std::string(kListError);
}

std::string ListResponse::SeenAddress() const {
  std::string_view head = std::string_view(text_).substr(0, text_.find(kListDataStart));
  return PlainAddress(ExtractBetween(head, kListSeenStart, kListSeenEnd));
}

ListHostAddress ParseListHost(std::string_view text) {
  if (text.empty()) text = kDefaultListHost;
  ListHostAddress address;
  int port = -1;
  if (!SplitHostPort(text, &address.host, &port)) return ParseListHost(kDefaultListHost);
  address.header =
      IsIpv6Text(address.host) && !text.starts_with('[') ? HostForUrl(address.host) : std::string(text);
  if (port > 0) address.port = port;
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

}  // namespace kb
