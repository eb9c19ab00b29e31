#include "server/client_table.h"

#include <algorithm>

namespace kb {

ClientRecord* ClientTable::Find(ConnectionId connection) {
  auto it = index_.find(connection);
  return it == index_.end() ? nullptr : &records_[it->second];
}

void ClientTable::Reindex(size_t from) {
  for (size_t i = from; i < records_.size(); ++i) index_[records_[i].connection] = i;
}

ClientRecord& ClientTable::Add(ConnectionId connection, Colour colour, int64_t now) {
  index_[connection] = records_.size();
  ClientRecord& r = records_.emplace_back();
  r.connection = connection;
  r.colour = colour;
  r.lastSeen = now;
  return r;
}

bool ClientTable::Remove(ConnectionId connection) {
  auto found = index_.find(connection);
  if (found == index_.end()) return false;
  size_t at = found->second;
  index_.erase(found);
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(at));
  Reindex(at);
  return true;
}

}  // namespace kb
