#include "server/client_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kb {
namespace {

TEST(ClientTable, FindFollowsTheRecordsThroughRemovalsAnywhere) {
  using V = std::vector<ConnectionId>;
  struct Case { V removed, left; } cases[] = {  // removed from a table of 1..6, in this order
      {{1}, {2, 3, 4, 5, 6}},   {{6}, {1, 2, 3, 4, 5}},
      {{3, 4}, {1, 2, 5, 6}},   {{2, 9}, {1, 3, 4, 5, 6}},  // 9 was never there
      {{1, 2, 3, 4, 5, 6}, {}},
  };
  for (const Case& c : cases) {
    ClientTable table;
    for (ConnectionId id = 1; id <= 6; ++id) table.Add(id, static_cast<Colour>(id * 100), 0);
    for (ConnectionId id : c.removed) EXPECT_EQ(table.Remove(id), id <= 6);
    V order;
    for (const ClientRecord& r : table) order.push_back(r.connection);
    EXPECT_EQ(order, c.left);
    for (ConnectionId id = 1; id <= 9; ++id) {
      ClientRecord* r = table.Find(id);
      bool there = std::find(c.left.begin(), c.left.end(), id) != c.left.end();
      ASSERT_EQ(r != nullptr, there) << id;
      EXPECT_TRUE(!r || (r->connection == id && r->colour == id * 100)) << id;
    }
    // A newcomer goes to the end and is found there; a removed one does not come back.
    table.Add(7, 700, 0);
    EXPECT_EQ(table.Find(7), &table[table.Size() - 1]);
    EXPECT_FALSE(table.Remove(c.removed.front()));
  }
}

}  // namespace
}  // namespace kb
