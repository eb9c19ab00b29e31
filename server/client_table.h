#pragma once

#include <cstdint>
#include <vector>

#include "common/platform/core/image.h"
#include "server/rate_limit.h"

namespace kb {

// Chosen by the network loop; never reused within a run, so a record can not
// be mistaken for a later connection that got the same descriptor.
using ConnectionId = uint64_t;

struct ClientRecord {
  ConnectionId connection = 0;
  int playing = 0;
  float heading = 0;  // degrees, clockwise on screen
  int points = 0;
  int dead = 0;
  int previousX = 0;
  int previousY = 0;
  int x = 0;
  int y = 0;
  int64_t gapStart = 0;
  int64_t nextGap = 0;
  Colour colour = 0;
  int64_t lastSeen = 0;
  int placed = 0;
  int wins = 0;
  int authenticated = 0;
  int adminLoggedIn = 0;
  int ready = 0;
  // Chat lines at a human pace: four at once, then four a second.
  RateLimit chat{250, 4};
};

// The clients in join order; every rule that picks "the first record" uses it.
class ClientTable {
 public:
  ClientRecord* Find(ConnectionId connection);
  ClientRecord& Add(ConnectionId connection, Colour colour, int64_t now);
  bool Remove(ConnectionId connection);

  size_t Size() const { return records_.size(); }
  bool Empty() const { return records_.empty(); }
  ClientRecord& operator[](size_t i) { return records_[i]; }
  const ClientRecord& operator[](size_t i) const { return records_[i]; }
  std::vector<ClientRecord>::iterator begin() { return records_.begin(); }
  std::vector<ClientRecord>::iterator end() { return records_.end(); }
  std::vector<ClientRecord>::const_iterator begin() const { return records_.begin(); }
  std::vector<ClientRecord>::const_iterator end() const { return records_.end(); }

 private:
  std::vector<ClientRecord> records_;
};

}  // namespace kb
