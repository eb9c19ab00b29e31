#pragma once

#include <cstdint>
#include <memory>

#include "client/core/lan_search.h"
#include "client/core/server_list.h"

namespace kb {

// The server list as the list screens use it: the table and its search, the
// highlighted row, and the latches of its keys.
struct ServerListState {
  ServerList list;
  std::unique_ptr<ServerListSearch> search;  // null while none runs
  uint64_t searchToken = 0;
  int selectedServer = 0;
  int upLatch = 0;
  int downLatch = 0;
  // Where the LAN search asks and listens, and for how long; tests move it
  // off the real ports and shorten it.
  LanSearchPorts lanPorts;
  int lanSearchMs = kLanSearchMs;
};

// Starts a search in place of the one under way; the count is -1 at once.
void StartSearch(ServerListState& state, std::unique_ptr<ServerListSearch> search);
// One step of the search under way; the table is finished when it is over.
void StepSearch(ServerListState& state);

// The highlighted row after one frame of Up/Down (pressed this frame) and a
// click at clickY inside the list's frame (-1: none), wrapped into
// 0..count-1; 0 while the list is empty or being searched.
int SelectServer(int selected, int count, bool up, bool down, int clickY);

}  // namespace kb
