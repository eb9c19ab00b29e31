#include "common/platform/core/address.h"

#include <charconv>
#include <vector>

namespace kb {
namespace {

constexpr std::array<uint8_t, 12> kMappedPrefix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

bool ParseIpv4(std::string_view text, uint8_t* out) {
  for (int part = 0; part < 4; ++part) {
    size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return false;
    std::string_view digits = text.substr(0, dot);
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) return false;
    int value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    if (value > 255) return false;
    out[part] = static_cast<uint8_t>(value);
    text.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return true;
}

// Groups separated by ':' (a dotted tail as two); false on anything else.
bool ParseGroups(std::string_view text, bool tailAllowed, std::vector<uint16_t>* groups) {
  if (text.empty()) return true;
  for (;;) {
    size_t colon = text.find(':');
    std::string_view group = text.substr(0, colon);
    if (colon == std::string_view::npos && tailAllowed && group.find('.') != std::string_view::npos) {
      uint8_t v4[4];
      if (!ParseIpv4(group, v4)) return false;
      groups->push_back(static_cast<uint16_t>(v4[0] << 8 | v4[1]));
      groups->push_back(static_cast<uint16_t>(v4[2] << 8 | v4[3]));
      return true;
    }
    if (group.empty() || group.size() > 4) return false;
    unsigned value = 0;
    auto [end, error] = std::from_chars(group.data(), group.data() + group.size(), value, 16);
    if (error != std::errc() || end != group.data() + group.size()) return false;
    groups->push_back(static_cast<uint16_t>(value));
    if (colon == std::string_view::npos) return true;
    text.remove_prefix(colon + 1);
  }
}

bool ParseIpv6(std::string_view text, uint8_t* out) {
  std::vector<uint16_t> head, tail;
  size_t gap = text.find("::");
  bool compressed = gap != std::string_view::npos;
  if (compressed) {
    if (text.find("::", gap + 1) != std::string_view::npos) return false;
    if (!ParseGroups(text.substr(0, gap), false, &head) || !ParseGroups(text.substr(gap + 2), true, &tail))
      return false;
    if (head.size() + tail.size() > 7) return false;
  } else if (!ParseGroups(text, true, &head) || head.size() != 8) {
    return false;
  }
  std::array<uint16_t, 8> groups{};
  for (size_t i = 0; i < head.size(); ++i) groups[i] = head[i];
  for (size_t i = 0; i < tail.size(); ++i) groups[8 - tail.size() + i] = tail[i];
  for (size_t i = 0; i < 8; ++i) {
    out[2 * i] = static_cast<uint8_t>(groups[i] >> 8);
    out[2 * i + 1] = static_cast<uint8_t>(groups[i]);
  }
  return true;
}

// The address with every bit past the prefix cleared, and the prefix length.
std::string Prefix(const IpAddress& address, size_t keepBytes) {
  IpAddress network = address;
  network.zone = 0;
  for (size_t i = keepBytes; i < network.bytes.size(); ++i) network.bytes[i] = 0;
  return FormatIpAddress(network) + "/" + std::to_string(keepBytes * 8);
}

}  // namespace

std::optional<IpAddress> ParseIpAddress(std::string_view text) {
  IpAddress address;
  if (size_t percent = text.find('%'); percent != std::string_view::npos) {
    std::string_view digits = text.substr(percent + 1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), address.zone);
    if (error != std::errc() || end != digits.data() + digits.size() || address.zone == 0)
      return std::nullopt;
    text = text.substr(0, percent);
  }
  if (text.find(':') == std::string_view::npos)
    return !address.zone && ParseIpv4(text, address.bytes.data()) ? std::optional(address) : std::nullopt;
  if (!ParseIpv6(text, address.bytes.data())) return std::nullopt;
  // Only a link-local address (fe80::/10) needs its interface named.
  if (address.zone && !(address.bytes[0] == 0xFE && (address.bytes[1] & 0xC0) == 0x80)) return std::nullopt;
  if (std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), address.bytes.begin())) {
    for (size_t i = 0; i < 4; ++i) address.bytes[i] = address.bytes[12 + i];
    for (size_t i = 4; i < 16; ++i) address.bytes[i] = 0;
    return address;
  }
  address.v6 = true;
  return address;
}

std::string FormatIpAddress(const IpAddress& address) {
  const auto& b = address.bytes;
  if (!address.v6)
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
  std::array<unsigned, 8> groups;
  for (size_t i = 0; i < 8; ++i) groups[i] = b[2 * i] << 8 | b[2 * i + 1];
  int bestStart = -1, bestLength = 1;
  for (int i = 0; i < 8;) {
    int j = i;
    while (j < 8 && groups[j] == 0) ++j;
    if (j - i > bestLength) bestStart = i, bestLength = j - i;
    i = j == i ? i + 1 : j;
  }
  std::string out;
  char hex[8];
  for (int i = 0; i < 8; ++i) {
    if (i == bestStart) {
      out += "::";
      i += bestLength - 1;
      continue;
    }
    if (!out.empty() && out.back() != ':') out += ':';
    auto end = std::to_chars(hex, hex + sizeof hex, groups[i], 16).ptr;
    out.append(hex, end);
  }
  if (address.zone) out.append("%").append(std::to_string(address.zone));
  return out;
}

std::string PlainAddress(std::string_view text) {
  std::optional<IpAddress> address = ParseIpAddress(text);
  return address ? FormatIpAddress(*address) : std::string();
}

bool IsIpv6Text(std::string_view plain) { return plain.find(':') != std::string_view::npos; }

std::string AddressGroup(std::string_view plain) {
  std::optional<IpAddress> address = ParseIpAddress(plain);
  if (!address || !address->v6) return std::string(plain);
  return Prefix(*address, 8);
}

std::string NetworkGroup(std::string_view plain) {
  std::optional<IpAddress> address = ParseIpAddress(plain);
  if (!address) return std::string(plain);
  return Prefix(*address, address->v6 ? 6 : 3);
}

bool SplitHostPort(std::string_view text, std::string* host, int* port) {
  *port = -1;
  std::string_view name = text, digits;
  bool hasPort = false;
  if (text.starts_with('[')) {
    size_t close = text.find(']');
    if (close == std::string_view::npos) return false;
    name = text.substr(1, close - 1);
    std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) return false;
    if (!IsIpv6Text(name) || !ParseIpAddress(name)) return false;
    hasPort = !rest.empty(), digits = hasPort ? rest.substr(1) : rest;
  } else if (size_t colon = text.find(':'); colon != std::string_view::npos) {
    // Two colons or more: a bare IPv6 literal, which takes no port.
    if (text.find(':', colon + 1) != std::string_view::npos) {
      if (!ParseIpAddress(text)) return false;
    } else {
      name = text.substr(0, colon), digits = text.substr(colon + 1), hasPort = true;
    }
  }
  if (name.empty()) return false;
  if (hasPort) {
    int value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 1 ||
        value > 65535)
      return false;
    *port = value;
  }
  *host = std::string(name);
  return true;
}

std::string_view WithoutBrackets(std::string_view host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

std::string HostForUrl(const std::string& host) { return IsIpv6Text(host) ? "[" + host + "]" : host; }

}  // namespace kb
