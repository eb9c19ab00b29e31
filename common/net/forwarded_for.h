#pragma once

#include <string>
#include <string_view>

namespace kb {

// The address a reverse proxy appended to an X-Forwarded-For header: its
// last entry, since earlier ones come from the client and prove nothing. The
// dotted IPv4 form, or empty when that entry is none.
std::string ForwardedAddress(std::string_view header);

}  // namespace kb
