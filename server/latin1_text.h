#pragma once

#include <string>
#include <string_view>

namespace kb {

// The game's text is Latin-1; terminals and command lines speak UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// Characters beyond Latin-1 become '?'; bytes that are no valid UTF-8 are
// taken as Latin-1 already.
std::string Utf8ToLatin1(std::string_view text);
// Well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);
// Why a server name typed in UTF-8 cannot be used, or empty when it can. A
// byte below 0x20 could carry framing bytes into "SERVER" and the LAN answer.
std::string ServerNameProblem(std::string_view utf8);

}  // namespace kb
