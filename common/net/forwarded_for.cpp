#include "common/net/forwarded_for.h"

#include "common/platform/core/socket.h"

namespace kb {

std::string ForwardedAddress(std::string_view header) {
  size_t comma = header.rfind(',');
  if (comma != std::string_view::npos) header.remove_prefix(comma + 1);
  size_t from = header.find_first_not_of(" \t");
  if (from == std::string_view::npos) return {};
  header = header.substr(from, header.find_last_not_of(" \t") - from + 1);
  return PlainAddress(WithoutBrackets(header));
}

}  // namespace kb
