// kb-fuzz-libs: kb_client
// A list host's response, cut into receives, is collected as the Internet list fetch does, its payload parsed
// into the server table, and the table drawn as the Internet list screen shows it. Input: one byte choosing
// the receive size, then the response.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/core/internet_list_fetch.h"
#include "common/net/web_list.h"
#include "fuzz/list_screen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static kb::ServerList list;
  size_t step = 1 + data[0];
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  kb::ListResponse response;
  while (!input.empty() && !response.Add(input.substr(0, step)))
    input.remove_prefix(std::min(step, input.size()));
  std::string payload = response.Payload();
  // The limit is checked after each receive, so the last one may pass it.
  if (payload.size() > kb::kListResponseLimit + step) std::abort();
  uint64_t token = list.Begin();
  for (kb::ServerListEntry& entry : kb::ParseListPayload(payload))
    if (list.Add(token, std::move(entry), false) != kb::ServerList::AddResult::kAdded) break;
  list.Finish(token);
  kb::DrawFound(list, false);
  return 0;
}
