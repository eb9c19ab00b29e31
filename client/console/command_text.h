#pragma once

#include <string>

namespace kb {

// Byte that stands for a blank inside a quoted argument until Unquote.
constexpr char kProtectedBlank = '\x02';

// Field k (from 1) of a text split at single blanks; consecutive blanks give
// empty fields, a field past the end is empty. Tabs are ordinary characters.
std::string TextField(const std::string& text, int k);

// Replaces the blanks between each pair of double quotes by kProtectedBlank;
// the quotes stay, an odd last quote protects nothing.
std::string ProtectQuotes(const std::string& args);

// \" becomes a literal quote, other quotes vanish, protected blanks become
// blanks again.
std::string Unquote(const std::string& text);

// Blanks/tabs, optional sign, decimal digits, "$" hex or "%" binary; stops at
// the first character that does not fit. Computed in 64 bits, returned as
// its low 32 bits.
int ParseNumber(const std::string& text);

// ASCII case conversion; other bytes are kept.
std::string ToLower(std::string text);
char ToUpper(char c);

}  // namespace kb
