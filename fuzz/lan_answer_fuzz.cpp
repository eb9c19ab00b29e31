// kb-fuzz-libs: kb_client
// Datagrams on the LAN search's answer port, from four senders, go through the answer parser into the server
// table, which the LAN screen then draws. Input: a length byte before each datagram.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/core/lan_search.h"
#include "fuzz/list_screen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kb::ServerList list;
  uint64_t token = list.Begin();
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int i = 0; !input.empty(); ++i) {
    size_t length = std::min<size_t>(static_cast<uint8_t>(input[0]), input.size() - 1);
    std::string_view datagram = input.substr(1, length);
    input.remove_prefix(1 + length);
    auto entry = kb::ParseLanAnswer(datagram, "192.168.1." + std::to_string(i % 4 + 10));
    if (!entry) continue;
    if (entry->port < 1 || entry->port > 65535) std::abort();
    list.Add(token, std::move(*entry), true);
  }
  list.Finish(token);
  kb::DrawFound(list, true);
  return 0;
}
