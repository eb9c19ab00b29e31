#include "common/platform/core/command_line.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(ParseNumber, AcceptsOnlyAWholeNumberInItsRange) {
  struct Case { const char* text; long low, high; bool ok; long value; };
  // clang-format off
  for (const Case& c : std::initializer_list<Case>{
           {"0", 0, 65535, true, 0}, {"65535", 0, 65535, true, 65535}, {"65536", 0, 65535, false, 0},
           {"-1", 0, 65535, false, 0}, {"-3", -5, 5, true, -3}, {"0", 1, 100000, false, 0}, {"", 0, 10, false, 0},
           {"7x", 0, 10, false, 0}, {"7 ", 0, 10, false, 0}, {"zehn", 0, 10, false, 0}, {"0x10", 0, 100, false, 0},
           {"99999999999999999999999", 0, 86400, false, 0},  // overflows to the largest long
       }) {  // clang-format on
    long out = -42;
    EXPECT_EQ(ParseNumber(c.text, c.low, c.high, &out), c.ok) << c.text;
    EXPECT_EQ(out, c.ok ? c.value : -42) << c.text;  // untouched on failure
  }
}

}  // namespace
}  // namespace kb
