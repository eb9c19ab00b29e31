#pragma once

#include <string>
#include <string_view>

namespace kb {

// The game's text is Latin-1; terminals, command lines and the desktop speak
// UTF-8. A well-formed UTF-8 character beyond Latin-1 becomes '?'; a byte
// that starts no well-formed sequence is taken as Latin-1 already, so text
// from a Latin-1 terminal or file arrives whole instead of as question marks.
std::string Utf8ToLatin1(std::string_view utf8);
std::string Latin1ToUtf8(std::string_view latin1);

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

// UTF-16 (wchar_t) text for Windows. A byte that starts no UTF-8 sequence
// stands for its Latin-1 character, as in Utf8ToLatin1, so names typed in the
// game (Latin-1) and UTF-8 names from the system both arrive whole.
std::wstring Utf8ToWide(const std::string& text);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);

// The code point of the first character of UTF-8 text, or -1 when the text is
// empty, broken or holds more than one character.
int SingleCodePoint(const std::string& utf8);

}  // namespace kb
