#include "common/net/protocol.h"

#include <gtest/gtest.h>

#include "common/net/score_list.h"

namespace kb {
namespace {

using namespace std::string_literals;

// "3/255/1|0/65280/0" with the real entry and sub-field separators.
std::string Framed(std::string text) {
  for (char& c : text) c = c == '/' ? kSubFieldSeparator : c == '|' ? kEntrySeparator : c;
  return text;
}

TEST(Protocol, BuildSplitAndReadFields) {
  EXPECT_EQ(BuildMessage(Keyword::kJoin), "JOIN\x04"s);
  EXPECT_EQ(BuildMessage(Keyword::kChat, {"hallo welt", ""}), "CHAT\x02hallo welt\x02\x04"s);
  // Copies must not point into the original's digits.
  std::vector<Field> fields = {Field(12), Field(345)}, copy = fields;
  EXPECT_EQ(copy[1].Text(), "345");
  std::string m = BuildMessage(Keyword::kLine, {100, -3, 16777215u});
  auto pieces = SplitMessages(m);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(ParseKeyword(MessageField(pieces[0], 1)), Keyword::kLine);
  EXPECT_EQ(MessageNumber(pieces[0], 3), -3);
  EXPECT_EQ(MessageNumber(pieces[0], 4), 16777215);
  for (const char* bad : {"join", "JOIN ", ""}) EXPECT_EQ(ParseKeyword(bad), Keyword::kUnknown);
  // "PING", 0x04 and the first two letters of the next keyword: one message.
  EXPECT_EQ(SplitMessages("PING\x04PO"s), std::vector<std::string_view>{"PING"});
  EXPECT_TRUE(SplitMessages("ANGLE\x02UP").empty());
  EXPECT_EQ(SplitMessages("GO\x04\x04X\x04"s), (std::vector<std::string_view>{"GO", "", "X"}));
  std::string line = "LINE\x02" "10\x02\x02  7x\x02" "abc";
  EXPECT_EQ(MessageField(line, 2), "10");
  EXPECT_EQ(MessageField(line, 6), "");  // beyond the last field
  EXPECT_EQ(MessageField(line, 0), "");
  // Empty, leading spaces up to a letter, letters, missing.
  for (auto [n, want] : {std::pair{3, 0}, {4, 7}, {5, 0}, {9, 0}})
    EXPECT_EQ(MessageNumber(line, n), want) << n;
  // Out of range numbers saturate instead of wrapping.
  EXPECT_EQ(ParseNumberText("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseNumberText("-99999999999999999999"), -2147483647 - 1);
}

TEST(Protocol, ServerNamesAndScores) {
  EXPECT_EQ(EncodeServerName("Mein Server  eins"), "Mein%20Server%20%20eins");
  EXPECT_EQ(DecodeServerName("Mein%20Server%20%20eins"), "Mein Server  eins");
  EXPECT_EQ(BuildScoreList({{3, 255, 1}, {0, 65280, 0}}), Framed("3/255/1|0/65280/0"));
  EXPECT_EQ(BuildMessage(Keyword::kScores, {BuildScoreList({})}), "SCORES\x02\x04"s);
  std::vector<ScoreListEntry> entries = {{3, 255, 1}, {12, 16777215, 4}};
  EXPECT_EQ(ParseScoreList(BuildScoreList(entries)), entries);
  // Damaged entries read missing values as 0 and never fail.
  EXPECT_EQ(ParseScoreList(Framed("5|x/7")), (std::vector<ScoreListEntry>{{5, 0, 0}, {0, 7, 0}}));
  // A list longer than any server's player cap is cut there.
  std::vector<ScoreListEntry> many(kMaxScoreEntries + 1, {1, 2, 3});
  many.back() = {9, 9, 9};
  std::vector<ScoreListEntry> cut = ParseScoreList(BuildScoreList(many));
  ASSERT_EQ(cut.size(), kMaxScoreEntries);
  EXPECT_EQ(cut.back(), (ScoreListEntry{1, 2, 3}));
}

}  // namespace
}  // namespace kb
