#pragma once

#include <span>
#include <string>
#include <string_view>

#include "server/client_table.h"

namespace kb {

// How the game reaches its clients: over sockets in the program, over
// in-process queues in tests. Messages to one connection leave in order.
class Transport {
 public:
  virtual ~Transport() = default;
  // message holds whole messages, each with its terminator (one, or a run
  // shared through SendToEach).
  virtual void Send(ConnectionId connection, std::string_view message) = 0;
  // The same whole messages to each receiver: what a loop of Send does.
  virtual void SendToEach(std::span<const ConnectionId> receivers, std::string_view messages) {
    for (ConnectionId c : receivers) Send(c, messages);
  }
  // The remote address the connection came from; guesses are counted by it.
  virtual std::string Address(ConnectionId connection) const = 0;
};

}  // namespace kb
