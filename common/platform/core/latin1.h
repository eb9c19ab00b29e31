#pragma once

#include <string>

namespace kb {

// The game's text is Latin-1; the desktop speaks UTF-8. Characters beyond
// Latin-1 and broken sequences become '?'.
std::string Utf8ToLatin1(const std::string& utf8);
std::string Latin1ToUtf8(const std::string& latin1);

// UTF-16 (wchar_t) text for Windows. A byte that starts no UTF-8 sequence
// stands for its Latin-1 character, so names typed in the game (Latin-1) and
// UTF-8 names from the system both arrive whole.
std::wstring Utf8ToWide(const std::string& text);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& text);

// The code point of the first character of UTF-8 text, or -1 when the text is
// empty, broken or holds more than one character.
int SingleCodePoint(const std::string& utf8);

}  // namespace kb
