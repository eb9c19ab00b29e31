#include "common/net/send_batch.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/net/protocol.h"

namespace kb {
namespace {

std::vector<std::string> FlushAll(SendBatch& batch) {
  std::vector<std::string> sends;
  batch.Flush([&](std::string_view piece) {
    sends.emplace_back(piece);
    return true;
  });
  return sends;
}

TEST(SendBatch, SendsHoldWholeMessagesOfAtMostTheLimit) {
  SendBatch batch;
  std::string all;
  for (int i = 0; i < 200; ++i) {
    std::string m = BuildMessage(Keyword::kLine, {i, i * 7, i + 5, i * 3, 123456});
    all += m;
    batch.Add(m);
  }
  auto sends = FlushAll(batch);
  EXPECT_TRUE(batch.Empty());
  ASSERT_GT(sends.size(), 1u);
  std::string joined;
  for (const auto& s : sends) {
    EXPECT_LE(s.size(), SendBatch::kMaxSend);
    EXPECT_EQ(s.back(), kMessageTerminator);  // never half a message
    joined += s;
  }
  EXPECT_EQ(joined, all);
  // Few sends: each is filled up close to the limit.
  EXPECT_LE(sends.size(), all.size() / (SendBatch::kMaxSend - 40) + 1);
}

TEST(SendBatch, OversizedMessageGoesAloneAndEdgesAreExact) {
  SendBatch batch;
  std::string big = BuildMessage(Keyword::kChat, {std::string(3000, 'x'), 255});
  batch.Add("GO\x04");
  batch.Add(big);
  batch.Add("PONG\x04");
  auto sends = FlushAll(batch);
  ASSERT_EQ(sends.size(), 3u);
  EXPECT_EQ(sends[0], "GO\x04");
  EXPECT_EQ(sends[1], big);
  EXPECT_EQ(sends[2], "PONG\x04");

  // Messages that add up to exactly the limit share one send.
  std::string first(SendBatch::kMaxSend - 2, 'a');
  first.back() = kMessageTerminator;
  batch.Add(first);
  batch.Add("X\x04");
  sends = FlushAll(batch);
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0].size(), SendBatch::kMaxSend);
  // One byte more and the second message moves to its own send.
  batch.Add(first);
  batch.Add("XY\x04");
  sends = FlushAll(batch);
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_EQ(sends[0], first);
  EXPECT_EQ(sends[1], "XY\x04");
  EXPECT_TRUE(FlushAll(batch).empty());
}

TEST(SendBatch, StopsAtTheFirstFailedSend) {
  SendBatch batch;
  for (int i = 0; i < 300; ++i) batch.Add(BuildMessage(Keyword::kMode, {8}));
  int calls = 0;
  EXPECT_FALSE(batch.Flush([&](std::string_view) { return ++calls < 1; }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(batch.Empty());
}

}  // namespace
}  // namespace kb
