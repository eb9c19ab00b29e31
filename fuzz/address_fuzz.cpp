// kb-fuzz-libs: kb_platform_core
// Address text as peers send it (X-Forwarded-For, list hosts, typed hosts):
// what is accepted prints in one canonical form that reads back the same, its
// groups are prefixes of it, and a host:port split yields a host and a port
// in range.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/platform/core/address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (std::optional<kb::IpAddress> address = kb::ParseIpAddress(text)) {
    std::string plain = kb::FormatIpAddress(*address);
    std::optional<kb::IpAddress> again = kb::ParseIpAddress(plain);
    if (!again || !(*again == *address) || kb::FormatIpAddress(*again) != plain || kb::PlainAddress(text) != plain)
      std::abort();
    for (const std::string& group : {kb::AddressGroup(plain), kb::NetworkGroup(plain)}) {
      size_t slash = group.find('/');
      if (slash == std::string::npos) {
        if (address->v6 || group != plain) std::abort();  // IPv4 counts itself; only its /24 has a slash
        continue;
      }
      std::optional<kb::IpAddress> network = kb::ParseIpAddress(group.substr(0, slash));
      size_t bytes = std::stoul(group.substr(slash + 1)) / 8;
      if (!network || network->v6 != address->v6 || network->zone) std::abort();
      for (size_t i = 0; i < network->bytes.size(); ++i)
        if (network->bytes[i] != (i < bytes ? address->bytes[i] : 0)) std::abort();
    }
  } else if (!kb::PlainAddress(text).empty()) {
    std::abort();
  }
  std::string host;
  int port = 0;
  if (kb::SplitHostPort(text, &host, &port) && (host.empty() || port == 0 || port < -1 || port > 65535))
    std::abort();
  return 0;
}
