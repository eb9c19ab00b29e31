#include "common/net/send_batch.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
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

// Each send as the bytes and the parts it was given; parts are only valid during the call.
struct Sent { std::string bytes; std::vector<const char*> starts; };
std::vector<Sent> FlushParts(SendBatch& batch) {
  std::vector<Sent> sends;
  batch.Flush(SendBatch::SendParts([&](std::span<const std::string_view> parts) {
    Sent& s = sends.emplace_back();
    for (auto p : parts) s.bytes.append(p), s.starts.push_back(p.data());
    return true;
  }));
  return sends;
}

TEST(SendBatch, SharedRunsKeepTheOrderAndLargeBatchesLeaveInOneSend) {
  auto messages = [](int count, char letter) {
    std::string out;
    for (int i = 0; i < count; ++i) out += "LINE" + std::string(20, letter) + "\x04";
    return out;
  };
  // Runs of 25-byte messages between a peer's own answers.
  struct Case {
    int runMessages;
    size_t sends;  // how many sends the batch takes
  } cases[] = {
      {10, 1},   // 287 bytes: one send
      {100, 3},  // 2537 bytes: sends of at most 1200 bytes cut at message ends
      {190, 5},  // 4787 bytes, just under the large limit: still cut
      {191, 1},  // 4812 bytes: a tick's run for many players, one send
  };
  for (const Case& c : cases) {
    std::string run = messages(c.runMessages, 'a'), tail = messages(1, 'z');
    SendBatch batch;
    batch.Add("PONG\x04");
    batch.AddShared(run);
    batch.Add("MODE\x02" "8\x04");
    batch.AddShared(tail);
    std::string expected = "PONG\x04" + run + "MODE\x02" + "8\x04" + tail;
    SCOPED_TRACE(c.runMessages);
    auto sends = FlushParts(batch);
    ASSERT_EQ(sends.size(), c.sends);
    std::string got;
    for (const Sent& one : sends) {
      EXPECT_TRUE(one.bytes.back() == '\x04' && (one.bytes.size() <= SendBatch::kMaxSend || c.sends == 1));
      got += one.bytes;
    }
    EXPECT_TRUE(got == expected);
    // A large batch points at the shared run instead of copying it.
    EXPECT_TRUE(expected.size() <= SendBatch::kLargeBatch || sends[0].starts.at(1) == run.data());
    EXPECT_TRUE(batch.Empty() && FlushParts(batch).empty());
  }
  // More parts than one system call should carry are joined first.
  SendBatch many;
  std::string run = messages(300, 'b'), expected;
  for (int i = 0; i < 100; ++i) many.Add("GO\x04"), many.AddShared(run), expected += "GO\x04" + run;
  auto sends = FlushParts(many);
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0].starts.size(), 1u);
  EXPECT_TRUE(sends[0].bytes == expected);
}

}  // namespace
}  // namespace kb
