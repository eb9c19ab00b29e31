#include "common/net/send_batch.h"

#include <gtest/gtest.h>

#include <vector>

namespace kb {
namespace {

std::vector<std::string> FlushAll(SendBatch& batch) {
  std::vector<std::string> sends;
  batch.Flush([&](std::string_view piece) { return sends.emplace_back(piece), true; });
  return sends;
}

TEST(SendBatch, SendsHoldWholeMessagesOfAtMostTheLimit) {
  std::string exact(SendBatch::kMaxSend - 2, 'a'), big(3000, 'b');
  exact.back() = big.back() = '\x04';
  // Messages that add up to exactly the limit share one send; one byte more
  // and the next message goes alone; an oversized message goes alone.
  struct Case {
    std::vector<std::string> in, out;
  } cases[] = {{{exact, "X\x04"}, {exact + "X\x04"}},
               {{exact, "XY\x04"}, {exact, "XY\x04"}},
               {{"GO\x04", big, "PONG\x04"}, {"GO\x04", big, "PONG\x04"}},
               {{"GO\x04", "GO\x04"}, {"GO\x04GO\x04"}}};
  for (const Case& c : cases) {
    SendBatch batch;
    for (const auto& m : c.in) batch.Add(m);
    EXPECT_EQ(FlushAll(batch), c.out);
    EXPECT_TRUE(FlushAll(batch).empty());
  }
  // A failed send ends the flush and drops the rest: the peer is broken.
  SendBatch batch;
  for (int i = 0; i < 300; ++i) batch.Add(exact);
  int calls = 0;
  EXPECT_FALSE(batch.Flush([&](std::string_view) { return ++calls < 1; }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(batch.Empty());
}

}  // namespace
}  // namespace kb
