#include "common/net/protocol.h"

#include <gtest/gtest.h>

#include "common/net/discovery.h"
#include "common/net/score_list.h"

namespace kb {
namespace {

using namespace std::string_literals;

TEST(Protocol, BuildFramesKeywordAndFieldsAndEndsWithTerminator) {
  EXPECT_EQ(BuildMessage(Keyword::kJoin), "JOIN\x04"s);
  EXPECT_EQ(BuildMessage(Keyword::kLine, {100, 200, -3, 0, 65280u}),
            "LINE\x02"
            "100\x02"
            "200\x02-3\x02"
            "0\x02"
            "65280\x04"s);
  EXPECT_EQ(BuildMessage(Keyword::kChat, {"hallo welt", ""}), "CHAT\x02hallo welt\x02\x04"s);
  EXPECT_EQ(BuildMessage(Keyword::kTime, {int64_t{-2147483648LL}}), "TIME\x02-2147483648\x04"s);
  // Fields copied around keep their numbers.
  std::vector<Field> fields = {Field(12), Field("x"), Field(345)};
  std::vector<Field> copy = fields;
  EXPECT_EQ(copy[0].Text(), "12");
  EXPECT_EQ(copy[2].Text(), "345");
}

TEST(Protocol, KeywordTableRoundTripsAndIsCaseSensitive) {
  for (Keyword k : {Keyword::kJoin, Keyword::kPass, Keyword::kAngle, Keyword::kGo, Keyword::kColor,
                    Keyword::kChat, Keyword::kAdmin, Keyword::kPing, Keyword::kLeave, Keyword::kMode,
                    Keyword::kServer, Keyword::kPong, Keyword::kClear, Keyword::kTime, Keyword::kPoint,
                    Keyword::kLine, Keyword::kWinner, Keyword::kScores, Keyword::kPause}) {
    ASSERT_FALSE(KeywordText(k).empty());
    EXPECT_EQ(ParseKeyword(KeywordText(k)), k) << KeywordText(k);
  }
  EXPECT_EQ(ParseKeyword("COLOR"), Keyword::kColor);
  EXPECT_EQ(ParseKeyword("join"), Keyword::kUnknown);
  EXPECT_EQ(ParseKeyword("JOIN "), Keyword::kUnknown);
  EXPECT_EQ(ParseKeyword(""), Keyword::kUnknown);
}

TEST(Protocol, SplitKeepsOnlyTerminatedPieces) {
  // "PING", 0x04 and the first two letters of the next keyword: one message.
  std::string chunk = "PING\x04PO"s;
  auto messages = SplitMessages(chunk);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "PING");
  EXPECT_TRUE(SplitMessages("ANGLE\x02UP").empty());
  EXPECT_TRUE(SplitMessages("").empty());
  chunk =
      "GO\x04\x04"
      "ANGLE\x02"
      "DOWN\x04"s;
  messages = SplitMessages(chunk);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "GO");
  EXPECT_EQ(messages[1], "");
  EXPECT_EQ(messages[2],
            "ANGLE\x02"
            "DOWN");
}

TEST(Protocol, FieldsAndNumbers) {
  std::string line =
      "LINE\x02"
      "10\x02-20\x02\x02  7x\x02"
      "abc"s;
  EXPECT_EQ(MessageField(line, 1), "LINE");
  EXPECT_EQ(MessageField(line, 2), "10");
  EXPECT_EQ(MessageField(line, 4), "");
  EXPECT_EQ(MessageField(line, 7), "");  // beyond the last field
  EXPECT_EQ(MessageField(line, 0), "");
  EXPECT_EQ(MessageNumber(line, 2), 10);
  EXPECT_EQ(MessageNumber(line, 3), -20);
  EXPECT_EQ(MessageNumber(line, 4), 0);  // empty
  EXPECT_EQ(MessageNumber(line, 5), 7);  // leading spaces, stops at the letter
  EXPECT_EQ(MessageNumber(line, 6), 0);  // letters
  EXPECT_EQ(MessageNumber(line, 9), 0);  // missing
  EXPECT_EQ(MessageField("PONG", 1), "PONG");
  EXPECT_EQ(MessageField("PONG", 2), "");
  // Out of range numbers saturate instead of wrapping.
  EXPECT_EQ(ParseNumberText("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseNumberText("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseNumberText("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(ParseNumberText("+5"), 5);
  EXPECT_EQ(ParseNumberText("-"), 0);
  EXPECT_EQ(ParseNumberText(" - 5"), 0);
}

TEST(Protocol, BuiltMessagesReadBackFieldByField) {
  std::string m = BuildMessage(Keyword::kPoint, {123, 456, 16777215u});
  auto pieces = SplitMessages(m);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(ParseKeyword(MessageField(pieces[0], 1)), Keyword::kPoint);
  EXPECT_EQ(MessageNumber(pieces[0], 2), 123);
  EXPECT_EQ(MessageNumber(pieces[0], 3), 456);
  EXPECT_EQ(MessageNumber(pieces[0], 4), 16777215);
}

TEST(Protocol, ServerNameSpacesTravelAsPercent20) {
  EXPECT_EQ(EncodeServerName("Mein Server  eins"), "Mein%20Server%20%20eins");
  EXPECT_EQ(DecodeServerName("Mein%20Server%20%20eins"), "Mein Server  eins");
  // A name that itself holds "%20" shows a space there.
  EXPECT_EQ(DecodeServerName(EncodeServerName("100%20 Spa\xDF")), "100  Spa\xDF");
  EXPECT_EQ(DecodeServerName("%2"), "%2");
  EXPECT_EQ(EncodeServerName(""), "");
}

TEST(ScoreList, FormatsEntriesAndEmptyList) {
  EXPECT_EQ(BuildScoreList({{3, 255, 1}, {0, 65280, 0}}),
            "3\x05"
            "255\x05"
            "1\x03"
            "0\x05"
            "65280\x05"
            "0"s);
  EXPECT_EQ(BuildMessage(Keyword::kScores, {BuildScoreList({})}), "SCORES\x02\x04"s);
  std::vector<ScoreListEntry> entries = {{3, 255, 1}, {0, 65280, 0}, {12, 16777215, 4}};
  EXPECT_EQ(ParseScoreList(BuildScoreList(entries)), entries);
  EXPECT_TRUE(ParseScoreList("").empty());
  // Damaged entries read missing values as 0 and never fail.
  auto damaged = ParseScoreList(
      "5\x03x\x05"
      "7"s);
  ASSERT_EQ(damaged.size(), 2u);
  EXPECT_EQ(damaged[0], (ScoreListEntry{5, 0, 0}));
  EXPECT_EQ(damaged[1], (ScoreListEntry{0, 7, 0}));
}

TEST(Discovery, AnswerCarriesNamePortPlayersAndPasswordFlag) {
  EXPECT_EQ(BuildDiscoveryAnswer("Mein%20Server", 666, 3, true),
            "KRINGELBAHN SERVER\x02Mein%20Server\x02"
            "666\x02"
            "3\x02"
            "1"s);
  EXPECT_EQ(BuildDiscoveryAnswer("x", 5000, 0, false),
            "KRINGELBAHN SERVER\x02x\x02"
            "5000\x02"
            "0\x02"
            "0"s);
  EXPECT_EQ(kDiscoveryRequest.size(), 18u);
}

}  // namespace
}  // namespace kb
