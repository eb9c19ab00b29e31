#include "common/platform/core/latin1.h"

#include <gtest/gtest.h>

#include <utility>

namespace kb {
namespace {

TEST(Latin1, ConversionsBothWays) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"Gr\xC3\xBC\xC3\x9Fl", "Gr\xFC\xDFl"}, {"\xC3\xBF\xC2\xA0", "\xFF\xA0"},
      // Beyond Latin-1: the euro sign, a CJK character and an emoji each become one '?'.
      {"5\xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80!", "5? ? ?!"}, {"\xC3\xA4=\xE4", "\xE4=\xE4"}};
  // No UTF-8, so Latin-1 already and kept byte for byte: a lone lead byte, a stray continuation
  // byte, an overlong '/' and newline, a surrogate, past U+10FFFF, cut at the end, Latin-1 text.
  const char* broken[] = {"a\xC3z", "\x80x", "\xC0\xAF", "\xE0\x80\x8A", "\xED\xA0\x80.", "\xF4\x90\x80\x80",
                          "\xE2\x82", "Gr\xFC\xDF"};
  // clang-format on
  for (auto [utf8, latin1] : cases) EXPECT_EQ(Utf8ToLatin1(utf8), latin1) << utf8;
  for (const char* text : broken) EXPECT_TRUE(!IsValidUtf8(text) && Utf8ToLatin1(text) == text) << text;

  // Every byte round-trips; single code points are recognised.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Latin1ToUtf8(all).size(), 127u + 2 * 128u);
  EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(all)), all);

  for (auto [text, code] : {std::pair{"a", int{'a'}}, {"\xC3\xA4", 0xE4}, {"\xE2\x82\xAC", 0x20AC}, {"ab", -1},
                            {"", -1}, {"\xC3", -1}})
    EXPECT_EQ(SingleCodePoint(text), code) << text;
}

}  // namespace
}  // namespace kb
