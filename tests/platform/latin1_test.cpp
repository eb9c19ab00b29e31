#include "common/platform/core/latin1.h"

#include <gtest/gtest.h>

#include <utility>

namespace kb {
namespace {

TEST(Latin1, Utf8DownToLatin1AndBrokenUtf8NeverSwallowsGoodText) {
  const std::pair<const char*, const char*> cases[] = {
      {"Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xFC\xDF"
       "e"},
      {"\xC3\xBF\xC2\xA0", "\xFF\xA0"},
      // Beyond Latin-1: the euro sign, a CJK character and an emoji each become one '?'.
      {"5\xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80!", "5? ? ?!"},
      {"a\xC3z", "a?z"},          // a lone lead byte
      {"\x80x", "?x"},            // a stray continuation byte
      {"\xC0\xAF", "??"},         // an overlong '/'
      {"\xED\xA0\x80.", "?."},    // a surrogate
      {"\xF4\x90\x80\x80", "?"},  // past U+10FFFF
      {"\xE2\x82", "??"},         // cut at the end
  };
  for (auto [utf8, latin1] : cases) EXPECT_EQ(Utf8ToLatin1(utf8), latin1) << utf8;
}

TEST(Latin1, EveryByteRoundTripsAndSingleCodePointsAreRecognised) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string utf8 = Latin1ToUtf8(all);
  EXPECT_EQ(utf8.size(), 127u + 2 * 128u);
  EXPECT_EQ(Utf8ToLatin1(utf8), all);

  EXPECT_EQ(SingleCodePoint("a"), 'a');
  EXPECT_EQ(SingleCodePoint("\xC3\xA4"), 0xE4);
  EXPECT_EQ(SingleCodePoint("\xE2\x82\xAC"), 0x20AC);
  for (const char* notOne : {"ab", "", "\xC3"}) EXPECT_EQ(SingleCodePoint(notOne), -1) << notOne;
}

}  // namespace
}  // namespace kb
