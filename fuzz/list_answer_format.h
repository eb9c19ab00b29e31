#pragma once

#include <string>
#include <string_view>

#include "common/platform/core/address.h"

// A list service's answer as servers and clients read it: the data between
// its markers and nothing after them; before them at most the address the
// service saw the request come from, in its plain form. Returns that
// address, empty when none is named, "\n" (never an address) when the
// answer is out of format.
inline std::string ListAnswerSeen(std::string_view answer) {
  constexpr std::string_view kSeen = "[address]", kSeenEnd = "[/address]";
  size_t start = answer.find("[data]");
  if (start == std::string_view::npos || !answer.ends_with("[/data]")) return "\n";
  std::string_view head = answer.substr(0, start);
  if (head.empty()) return {};
  if (!head.starts_with(kSeen) || !head.ends_with(kSeenEnd)) return "\n";
  std::string_view seen = head.substr(kSeen.size(), head.size() - kSeen.size() - kSeenEnd.size());
  return !seen.empty() && kb::PlainAddress(seen) == seen ? std::string(seen) : "\n";
}
