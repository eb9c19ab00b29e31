#include "common/net/receive_buffer.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/net/protocol.h"

namespace kb {
namespace {

using namespace std::string_literals;

std::vector<std::string> Drain(ReceiveBuffer& buffer) {
  std::vector<std::string> out;
  std::string m;
  while (buffer.Next(m)) out.push_back(m);
  return out;
}

TEST(ReceiveBuffer, CompletesAMessageSplitAcrossReceives) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Add("PING\x04PO"s));
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{"PING"});
  EXPECT_EQ(buffer.Pending(), 2u);
  ASSERT_TRUE(buffer.Add("NG"));
  EXPECT_TRUE(Drain(buffer).empty());
  ASSERT_TRUE(
      buffer.Add("\x04"
                 "ANGLE\x02U"s));
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{"PONG"});
  ASSERT_TRUE(buffer.Add("P\x04GO\x04"s));
  EXPECT_EQ(Drain(buffer), (std::vector<std::string>{"ANGLE\x02UP", "GO"}));
  EXPECT_EQ(buffer.Pending(), 0u);
}

TEST(ReceiveBuffer, EveryByteBoundaryGivesTheSameMessages) {
  std::string stream = BuildMessage(Keyword::kLine, {1, 2, 3, 4, 255}) + BuildMessage(Keyword::kPong) +
                       BuildMessage(Keyword::kChat, {"hallo", 65280}) + BuildMessage(Keyword::kMode, {8});
  std::vector<std::string> expected;
  for (auto piece : SplitMessages(stream)) expected.emplace_back(piece);
  for (size_t cut1 = 0; cut1 <= stream.size(); ++cut1) {
    for (size_t cut2 = cut1; cut2 <= stream.size(); cut2 += 3) {
      ReceiveBuffer buffer;
      std::vector<std::string> got;
      for (auto part : {stream.substr(0, cut1), stream.substr(cut1, cut2 - cut1), stream.substr(cut2)}) {
        ASSERT_TRUE(buffer.Add(part));
        for (auto& m : Drain(buffer)) got.push_back(m);
      }
      ASSERT_EQ(got, expected) << cut1 << " " << cut2;
    }
  }
}

TEST(ReceiveBuffer, UnfinishedMessagePastTheBoundBreaksTheConnection) {
  ReceiveBuffer buffer;
  std::string block(8192, 'A');
  for (size_t total = 8192; total <= ReceiveBuffer::kPendingLimit; total += block.size()) {
    ASSERT_TRUE(buffer.Add(block)) << total;
  }
  EXPECT_EQ(buffer.Pending(), ReceiveBuffer::kPendingLimit);
  EXPECT_FALSE(buffer.Add("A"));
  EXPECT_TRUE(buffer.Broken());
  EXPECT_FALSE(buffer.Add("\x04GO\x04"s));
  EXPECT_TRUE(Drain(buffer).empty());
}

TEST(ReceiveBuffer, ManyCompleteMessagesNeverCountAsPending) {
  ReceiveBuffer buffer;
  std::string chunk;
  while (chunk.size() < 8000) chunk += "ANGLE\x02UP\x04"s;
  size_t count = 0;
  for (int i = 0; i < 40; ++i) {  // 320 KB in total, drained as it comes
    ASSERT_TRUE(buffer.Add(chunk));
    count += Drain(buffer).size();
  }
  EXPECT_EQ(count, 40 * (chunk.size() / 9));
  EXPECT_FALSE(buffer.Broken());
}

TEST(ReceiveBuffer, AMessageHoldingAZeroByteIsDroppedWhole) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(
      buffer.Add("GO\x04"
                 "CH\0AT\x02x\x04PING\x04"s));
  EXPECT_EQ(Drain(buffer), (std::vector<std::string>{"GO", "PING"}));
  // The zero byte in one receive, the rest of that message in the next.
  ASSERT_TRUE(buffer.Add("ANG\0"s));
  ASSERT_TRUE(buffer.Add("LE\x02UP"));
  EXPECT_TRUE(Drain(buffer).empty());
  ASSERT_TRUE(buffer.Add("\x04GO\x04"s));
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{"GO"});
  // A pending start of a message is dropped when a zero byte follows later.
  ASSERT_TRUE(buffer.Add("PI"));
  ASSERT_TRUE(buffer.Add("NG\0\x04PONG\x04"s));
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{"PONG"});
  // Endless bytes after a zero still count against the bound.
  ASSERT_TRUE(buffer.Add("X\0"s));
  bool broken = false;
  for (int i = 0; i < 20 && !broken; ++i) broken = !buffer.Add(std::string(8192, 'B'));
  EXPECT_TRUE(broken);
}

TEST(ReceiveBuffer, FullReceiveOfExactlyTheBufferSize) {
  // 910 messages of 9 bytes and the first two letters of the next one fill
  // the 8192 bytes of one receive exactly.
  std::string chunk;
  for (int i = 0; i < 910; ++i) chunk += "ANGLE\x02UP\x04"s;
  chunk += "AN";
  ASSERT_EQ(chunk.size(), static_cast<size_t>(kReceiveBufferSize));
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Add(chunk));
  EXPECT_EQ(Drain(buffer).size(), 910u);
  ASSERT_TRUE(
      buffer.Add("GLE\x02"
                 "DOWN\x04"s));
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{"ANGLE\x02"
                                                    "DOWN"});
}

}  // namespace
}  // namespace kb
