#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "client/core/server_list.h"

namespace kb {

// Runs the list searches one after another on one background thread. A
// search started while another runs makes the running one stale (it may no
// longer write the table and stops as soon as it looks) and waits for it;
// of several waiting searches only the newest runs.
class ServerListTasks {
 public:
  // A search: its table, its token, and whether it should go on (false once
  // it is stale or the client ends).
  using Job = std::function<void(ServerList& list, uint64_t token, const std::function<bool()>& keepGoing)>;

  ServerListTasks();
  // Ends the thread; a search that does not stop within a second (a list
  // host that keeps the connection open) is left to finish on its own.
  ~ServerListTasks();
  ServerListTasks(const ServerListTasks&) = delete;
  ServerListTasks& operator=(const ServerListTasks&) = delete;

  ServerList& List() { return *list_; }
  const ServerList& List() const { return *list_; }

  // Sets the count to -1 at once and queues the search.
  void Start(Job job);

  // Waits up to timeoutMs for every queued search to end; for tests and tools.
  bool WaitIdle(int timeoutMs);

  // What the thread shares with the owner; the thread keeps it alive.
  struct Shared;

 private:
  std::shared_ptr<ServerList> list_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kb
