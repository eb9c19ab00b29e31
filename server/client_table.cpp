#include "server/client_table.h"

#include <algorithm>

namespace kb {

ClientRecord* ClientTable::Find(ConnectionId connection) {
  for (ClientRecord& r : records_) {
    if (r.connection == connection) return &r;
  }
  return nullptr;
}

ClientRecord& ClientTable::Add(ConnectionId connection, Colour colour, int64_t now) {
  ClientRecord& r = records_.emplace_back();
  r.connection = connection;
  r.colour = colour;
  r.lastSeen = now;
  return r;
}

bool ClientTable::Remove(ConnectionId connection) {
  auto it = std::find_if(records_.begin(), records_.end(),
                         [&](const ClientRecord& r) { return r.connection == connection; });
  if (it == records_.end()) return false;
  records_.erase(it);
  return true;
}

}  // namespace kb
