#pragma once

#include "client/core/lan_search.h"
#include "client/core/server_list_tasks.h"

namespace kb {

// The server list as the list screens use it: the table and its searches,
// the highlighted row, and the latches of its keys.
struct ServerListState {
  ServerListTasks tasks;
  int selectedServer = 0;
  int upLatch = 0;
  int downLatch = 0;
  // Where the LAN search asks and listens, and for how long; tests move it
  // off the real ports and shorten it.
  LanSearchPorts lanPorts;
  int lanSearchMs = kLanSearchMs;
};

// The highlighted row after one frame of Up/Down (pressed this frame) and a
// click at clickY inside the list's frame (-1: none), wrapped into
// 0..count-1; 0 while the list is empty or being searched.
int SelectServer(int selected, int count, bool up, bool down, int clickY);

}  // namespace kb
