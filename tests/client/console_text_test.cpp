#include <gtest/gtest.h>

#include "client/console/command_text.h"
#include "client/console/commands.h"

namespace kb {
namespace {

TEST(ConsoleText, FieldsQuotesAndUnquote) {
  // clang-format off
  struct Field { const char* text; int k; const char* field; };
  for (const Field& c : {Field{"a  b", 1, "a"}, {"a  b", 2, ""}, {"a  b", 3, "b"}, {"a  b", 4, ""},
                         {"a\tb c", 1, "a\tb"}, {" x", 1, ""}, {" x", 2, "x"}, {"x", 0, ""}, {"x", 1000000, ""}})
    EXPECT_EQ(TextField(c.text, c.k), c.field) << c.text << " #" << c.k;
  // Three quotes: only the first pair protects; a backslash-quote counts as a quote here.
  struct Pair { const char* in; const char* out; };
  for (const Pair& c : {Pair{"\"a b\" \"c d\" e f", "\"a\002b\" \"c\002d\" e f"},
                        {"\"a b\" \"c d", "\"a\002b\" \"c d"}, {"\\\"x y\\\"", "\\\"x\x02y\\\""}, {"\"", "\""}})
    EXPECT_EQ(ProtectQuotes(c.in), c.out) << c.in;
  for (const Pair& c : {Pair{"\"a\002b\"", "a b"}, {"\\\"x\\\"", "\"x\""}, {"say [DQUOTE]hi", "say \"hi"},
                        {"\"\"\"", ""}, {"a\\b", "a\\b"}, {"\\\"\\\"", "\"\""}, {"", ""}})
    EXPECT_EQ(Unquote(c.in), c.out) << c.in;
  // clang-format on
}

TEST(ConsoleText, ParseNumber) {
  // clang-format off
  struct Case { std::string text; int value; };
  for (const Case& c : {Case{"  42x", 42}, {"$ff", 255}, {"%101", 5}, {"-7", -7}, {"+7", 7}, {"on", 0}, {"", 0},
                        {"\t 9", 9}, {"-$10", -16}, {"%102", 2}, {"$", 0}, {"- 5", 0}, {"$G1", 0}, {"12 34", 12},
                        // Huge numbers keep their low 32 bits and never trap.
                        {"4294967295", -1}, {"2147483648", -2147483647 - 1}, {"$100000005", 5},
                        {"-4294967297", -1}, {"18446744073709551616", 0}})
    EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
  // clang-format on
  ParseNumber(std::string(5000, '9'));
  ParseNumber("-" + std::string(5000, '9'));
}

TEST(ConsoleText, SetSwitch) {
  // Empty toggles, one character is a number, "on"/"off" in any case, other words
  // (also "10") leave the value alone; anything above 1 becomes 1.
  // clang-format off
  struct Case { int before; const char* args; int after; };
  for (const Case& c : {Case{0, "", 1}, {1, "", 0}, {0, "5", 1}, {1, "x", 0}, {0, "ON", 1}, {1, "Off", 0},
                        {1, "10", 1}, {0, "10", 0}, {0, "onn", 0}, {0, " on", 0}, {7, "oN", 1}, {7, "what", 1}, {0, "2", 1}}) {
    // clang-format on
    int value = c.before;
    SetSwitch(value, c.args);
    EXPECT_EQ(value, c.after) << c.before << " '" << c.args << "'";
  }
}

}  // namespace
}  // namespace kb
