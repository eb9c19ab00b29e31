#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kb {

// An IPv4 or IPv6 address as numbers, apart from any socket API, so every
// system reads and writes the same text.
struct IpAddress {
  bool v6 = false;
  std::array<uint8_t, 16> bytes{};  // IPv4 in the first four
  // The interface a link-local IPv6 address is reached over ("fe80::1%3");
  // 0 for every other address.
  uint32_t zone = 0;
  bool operator==(const IpAddress&) const = default;
};

// Dotted IPv4 (four decimal parts 0..255 without leading zeros) or IPv6 text
// (groups, "::", a dotted tail; a link-local one may name its interface by
// number, "%3"). An IPv4-mapped IPv6 address ("::ffff:a.b.c.d") is the IPv4
// address it carries.
std::optional<IpAddress> ParseIpAddress(std::string_view text);
// Dotted IPv4, or IPv6 in the RFC 5952 form: lower case, no leading zeros,
// the longest run of two or more zero groups (the first of equal ones) as "::",
// and the zone after "%".
std::string FormatIpAddress(const IpAddress& address);
// The address in that plain form, or empty when text is no address.
std::string PlainAddress(std::string_view text);
bool IsIpv6Text(std::string_view plain);

// What per-address rules count: an IPv4 address itself, an IPv6 address by
// its /64 ("2001:db8:1:2::/64"), as one home holds a whole /64. Text that is
// no address stays as it is.
std::string AddressGroup(std::string_view plain);
// What per-network rules count: an IPv4 /24 ("192.0.2.0/24"), an IPv6 /48.
std::string NetworkGroup(std::string_view plain);

// "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 literal is a host
// without a port. port is -1 when none is given. false when the text cannot
// be read that way (an empty host, a bad port, a bracket without IPv6).
bool SplitHostPort(std::string_view text, std::string* host, int* port);
// The host inside "[...]", as URLs and typed addresses bracket IPv6; other text
// as it is.
std::string_view WithoutBrackets(std::string_view host);
// A host as it goes into a URL or a "Host: " line: an IPv6 literal in brackets.
std::string HostForUrl(const std::string& host);

}  // namespace kb
