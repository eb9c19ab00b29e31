#include "server/latin1_text.h"

#include <cstdint>

#include "common/net/web_list.h"

namespace kb {

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | c >> 6));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    bool valid = extra > 0 && i + extra < text.size();
    uint32_t code = c & (0x3F >> extra);
    for (size_t k = 1; valid && k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = code << 6 | (next & 0x3F);
    }
    if (!valid) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
    i += extra + 1;
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra = c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 0;
    if (extra == 0 || i + extra >= text.size()) return false;
    uint32_t code = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::string ServerNameProblem(std::string_view utf8) {
  if (utf8.empty()) return "the server name is empty";
  if (!IsValidUtf8(utf8)) return "the server name is not valid UTF-8 text";
  for (unsigned char c : utf8) {
    if (c < 0x20) return "the server name holds a control character";
  }
  // One name for the game and the Internet list: what the list would refuse
  // is refused here, before anyone tries to register it.
  if (std::string problem = ListNameProblem(Utf8ToLatin1(utf8)); !problem.empty())
    return "the Internet list would refuse it: " + problem;
  return {};
}

}  // namespace kb
