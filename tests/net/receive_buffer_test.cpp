#include "common/net/receive_buffer.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/net/protocol.h"

namespace kb {
namespace {

using namespace std::string_literals;
using V = std::vector<std::string>;

V Drain(ReceiveBuffer& buffer) {
  V out;
  for (std::string m; buffer.Next(m);) out.push_back(m);
  return out;
}

TEST(ReceiveBuffer, EveryByteBoundaryGivesTheSameMessagesReadInPlaceUntilTheNextAdd) {
  std::string stream = BuildMessage(Keyword::kLine, {1, 2, 255}) + BuildMessage(Keyword::kPong) +
                       BuildMessage(Keyword::kChat, {"hallo", 65280});
  V expected;  // what one receive of the whole stream gives
  for (auto m : SplitMessages(stream)) expected.emplace_back(m);
  for (size_t cut1 = 0; cut1 <= stream.size(); ++cut1) {
    for (size_t cut2 = cut1; cut2 <= stream.size(); ++cut2) {
      ReceiveBuffer buffer;
      V got;
      for (auto part : {stream.substr(0, cut1), stream.substr(cut1, cut2 - cut1), stream.substr(cut2)}) {
        ASSERT_TRUE(buffer.Add(part));
        for (auto& m : Drain(buffer)) got.push_back(m);
      }
      ASSERT_EQ(got, expected) << cut1 << " " << cut2;
    }
  }
  ReceiveBuffer buffer;
  std::string first = BuildMessage(Keyword::kAngle, {"UP"}) + BuildMessage(Keyword::kGo) + "ANG";
  ASSERT_TRUE(buffer.Add(first));
  std::vector<std::string_view> views;
  for (std::string_view m; buffer.Next(m);) views.push_back(m);
  // Both views still read their message after the buffer handed out both.
  EXPECT_EQ(views, (std::vector<std::string_view>{"ANGLE\x02UP", "GO"}));
  // The next receive finishes the cut message; what was read is dropped.
  ASSERT_TRUE(buffer.Add("LE\x02" "DOWN\x04PING\x04"));
  EXPECT_EQ(Drain(buffer), (V{"ANGLE\x02" "DOWN", "PING"}));
  EXPECT_TRUE(buffer.Pending() == 0u && Drain(buffer).empty());
}

TEST(ReceiveBuffer, OverlongAndZeroByteMessages) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Add(std::string(ReceiveBuffer::kPendingLimit, 'A')));
  EXPECT_FALSE(buffer.Add("A"));
  EXPECT_FALSE(buffer.Add("\x04GO\x04"s));
  EXPECT_TRUE(Drain(buffer).empty());
  // A message holding a zero byte is dropped whole.
  buffer = ReceiveBuffer();
  ASSERT_TRUE(buffer.Add("GO\x04" "CH\0AT\x02x\x04PING\x04"s));
  EXPECT_EQ(Drain(buffer), (V{"GO", "PING"}));
  // The zero byte in one receive, the rest of that message in later ones.
  ASSERT_TRUE(buffer.Add("ANG\0"s) && buffer.Add("LE\x02UP") && buffer.Add("\x04GO\x04"s));
  EXPECT_EQ(Drain(buffer), V{"GO"});
  // Endless bytes after a zero still count against the bound.
  ASSERT_TRUE(buffer.Add("X\0"s));
  EXPECT_FALSE(buffer.Add(std::string(ReceiveBuffer::kPendingLimit, 'B')));
}

}  // namespace
}  // namespace kb
