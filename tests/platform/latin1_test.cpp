#include "common/platform/core/latin1.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(Latin1, Utf8DownToLatin1) {
  EXPECT_EQ(Utf8ToLatin1("Gr\xC3\xBC\xC3\x9F"
                         "e"),
            "Gr\xFC\xDF"
            "e");
  EXPECT_EQ(Utf8ToLatin1("\xC3\xBF\xC2\xA0"), "\xFF\xA0");
  EXPECT_EQ(Utf8ToLatin1("plain ascii"), "plain ascii");
  // Beyond Latin-1: the euro sign, a CJK character and an emoji each become one '?'.
  EXPECT_EQ(Utf8ToLatin1("5\xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80!"), "5? ? ?!");
  EXPECT_EQ(Utf8ToLatin1(""), "");
}

TEST(Latin1, BrokenUtf8NeverSwallowsGoodText) {
  // A lone lead byte, a stray continuation byte, an overlong '/' and a surrogate.
  EXPECT_EQ(Utf8ToLatin1("a\xC3"), "a?");
  EXPECT_EQ(Utf8ToLatin1("a\xC3z"), "a?z");
  EXPECT_EQ(Utf8ToLatin1("\x80x"), "?x");
  EXPECT_EQ(Utf8ToLatin1("\xC0\xAF"), "??");
  EXPECT_EQ(Utf8ToLatin1("\xED\xA0\x80."), "?.");
  EXPECT_EQ(Utf8ToLatin1("\xF4\x90\x80\x80"), "?");  // past U+10FFFF
  EXPECT_EQ(Utf8ToLatin1("\xE2\x82"), "??");         // cut at the end
}

TEST(Latin1, RoundTripOfEveryByte) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string utf8 = Latin1ToUtf8(all);
  EXPECT_EQ(utf8.size(), 127u + 2 * 128u);
  EXPECT_EQ(Utf8ToLatin1(utf8), all);
  EXPECT_EQ(Latin1ToUtf8("\xE4"), "\xC3\xA4");
}

TEST(Latin1, SingleCodePoint) {
  EXPECT_EQ(SingleCodePoint("a"), 'a');
  EXPECT_EQ(SingleCodePoint("\xC3\xA4"), 0xE4);
  EXPECT_EQ(SingleCodePoint("\xE2\x82\xAC"), 0x20AC);
  EXPECT_EQ(SingleCodePoint("ab"), -1);
  EXPECT_EQ(SingleCodePoint(""), -1);
  EXPECT_EQ(SingleCodePoint("\xC3"), -1);
}

}  // namespace
}  // namespace kb
