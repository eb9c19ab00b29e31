#pragma once

#include <string>
#include <string_view>

#include "server/client_table.h"

namespace kb {

// How the game reaches its clients: over sockets in the program, over
// in-process queues in tests. Messages to one connection leave in order.
class Transport {
 public:
  virtual ~Transport() = default;
  // message holds one whole message with its terminator.
  virtual void Send(ConnectionId connection, std::string_view message) = 0;
  // The remote address the connection came from; guesses are counted by it.
  virtual std::string Address(ConnectionId connection) const = 0;
};

}  // namespace kb
