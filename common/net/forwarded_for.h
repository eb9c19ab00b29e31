#pragma once

#include <string>
#include <string_view>

namespace kb {

// The address a reverse proxy appended to an X-Forwarded-For header: its
// last entry, since earlier ones come from the client and prove nothing. Its
// plain form (dotted IPv4, RFC 5952 IPv6; an IPv6 one may come in brackets,
// "[2001:db8::1]"), or empty when that entry is no address.
std::string ForwardedAddress(std::string_view header);

}  // namespace kb
