#pragma once

#include <string>
#include <string_view>

namespace kb {

// The game's text is Latin-1; terminals and command lines speak UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// Characters beyond Latin-1 become '?'; bytes that are no valid UTF-8 are
// taken as Latin-1 already.
std::string Utf8ToLatin1(std::string_view text);

}  // namespace kb
