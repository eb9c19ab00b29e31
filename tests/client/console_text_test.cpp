#include <gtest/gtest.h>

#include "client/console/command_text.h"

namespace kb {
namespace {

TEST(ConsoleText, FieldsSplitAtSingleBlanksOnly) {
  EXPECT_EQ(TextField("a  b", 1), "a");
  EXPECT_EQ(TextField("a  b", 2), "");
  EXPECT_EQ(TextField("a  b", 3), "b");
  EXPECT_EQ(TextField("a  b", 4), "");
  EXPECT_EQ(TextField("a\tb c", 1), "a\tb");
  EXPECT_EQ(TextField("a\tb c", 2), "c");
  EXPECT_EQ(TextField("", 1), "");
  EXPECT_EQ(TextField(" x", 1), "");
  EXPECT_EQ(TextField(" x", 2), "x");
  EXPECT_EQ(TextField("x ", 2), "");
  EXPECT_EQ(TextField("x", 0), "");
  EXPECT_EQ(TextField("x", 1000000), "");
}

TEST(ConsoleText, QuotesProtectBlanksPairByPair) {
  EXPECT_EQ(ProtectQuotes("\"a b\" c"),
            "\"a\x02"
            "b\" c");
  EXPECT_EQ(ProtectQuotes("\"a b\" \"c d\" e f"),
            "\"a\x02"
            "b\" \"c\x02"
            "d\" e f");
  // Three quotes: only the first pair protects; the odd last one nothing.
  EXPECT_EQ(ProtectQuotes("\"a b\" \"c d"),
            "\"a\x02"
            "b\" \"c d");
  // A backslash makes no difference here: it counts as a quote.
  EXPECT_EQ(ProtectQuotes("\\\"x y\\\""), "\\\"x\x02y\\\"");
  EXPECT_EQ(ProtectQuotes("a b"), "a b");
  EXPECT_EQ(ProtectQuotes("\""), "\"");
  EXPECT_EQ(ProtectQuotes(""), "");
}

TEST(ConsoleText, UnquoteStepsRunInOrder) {
  EXPECT_EQ(Unquote("\"a\x02"
                    "b\""),
            "a b");
  EXPECT_EQ(Unquote("\\\"x\\\""), "\"x\"");
  EXPECT_EQ(Unquote("say [DQUOTE]hi"), "say \"hi");
  EXPECT_EQ(Unquote("\"\"\""), "");
  EXPECT_EQ(Unquote("a\\b"), "a\\b");
  // The marker text built from a backslash-quote keeps its quote.
  EXPECT_EQ(Unquote("\\\"\\\""), "\"\"");
  EXPECT_EQ(Unquote(""), "");
}

TEST(ConsoleText, ParseNumberExamplesAndLimits) {
  EXPECT_EQ(ParseNumber("  42x"), 42);
  EXPECT_EQ(ParseNumber("$FF"), 255);
  EXPECT_EQ(ParseNumber("$ff"), 255);
  EXPECT_EQ(ParseNumber("%101"), 5);
  EXPECT_EQ(ParseNumber("-7"), -7);
  EXPECT_EQ(ParseNumber("+7"), 7);
  EXPECT_EQ(ParseNumber("on"), 0);
  EXPECT_EQ(ParseNumber(""), 0);
  EXPECT_EQ(ParseNumber("\t 9"), 9);
  EXPECT_EQ(ParseNumber("-$10"), -16);
  EXPECT_EQ(ParseNumber("%102"), 2);
  EXPECT_EQ(ParseNumber("$"), 0);
  EXPECT_EQ(ParseNumber("- 5"), 0);
  EXPECT_EQ(ParseNumber("$G1"), 0);
  EXPECT_EQ(ParseNumber("12 34"), 12);
}

TEST(ConsoleText, HugeNumbersKeepTheirLow32Bits) {
  EXPECT_EQ(ParseNumber("4294967295"), -1);
  EXPECT_EQ(ParseNumber("4294967296"), 0);
  EXPECT_EQ(ParseNumber("2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseNumber("$100000005"), 5);
  EXPECT_EQ(ParseNumber("-4294967297"), -1);
  // Far beyond 64 bits: wraps, never traps.
  EXPECT_EQ(ParseNumber("18446744073709551616"), 0);
  std::string nines(5000, '9');
  ParseNumber(nines);
  ParseNumber("-" + nines);
}

}  // namespace
}  // namespace kb
