#include "common/platform/core/latin1.h"

namespace kb {

namespace {

// Decodes one character at text[i], advancing i; -1 for a broken sequence
// (then i moves past the first byte only, so decoding resynchronises).
int DecodeOne(std::string_view text, size_t& i) {
  unsigned char lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int length;
  int code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3, code = lead & 0x07;
  } else {
    return -1;
  }
  size_t start = i;
  for (int k = 0; k < length; ++k) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      i = start;
      return -1;
    }
    code = code << 6 | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static const int kMinimum[] = {0, 0x80, 0x800, 0x10000};
  if (code < kMinimum[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
    i = start;
    return -1;
  }
  return code;
}

// One character at text[i], advancing i: a well-formed sequence decoded,
// else the byte itself as Latin-1.
int NextCharacter(std::string_view text, size_t& i) {
  size_t start = i;
  int code = DecodeOne(text, i);
  return code >= 0 ? code : static_cast<unsigned char>(text[start]);
}

}  // namespace

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    int code = NextCharacter(utf8, i);
    latin1 += code <= 255 ? static_cast<char>(code) : '?';
  }
  return latin1;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();)
    if (DecodeOne(text, i) < 0) return false;
  return true;
}

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size() * 2);
  for (char c : latin1) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | byte >> 6);
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

namespace {

void AppendUtf8(std::string& out, int code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    int code = NextCharacter(text, i);
    if (code >= 0x10000 && sizeof(wchar_t) == 2) {
      wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(code);
    }
  }
  return wide;
}

std::string WideToUtf8(const std::wstring& text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int code = static_cast<int>(text[i]);
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<int>(text[++i]) - 0xDC00);
    } else if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF || code < 0) {
      code = 0xFFFD;
    }
    AppendUtf8(utf8, code);
  }
  return utf8;
}

int SingleCodePoint(const std::string& utf8) {
  if (utf8.empty()) return -1;
  size_t i = 0;
  int code = DecodeOne(utf8, i);
  return i == utf8.size() ? code : -1;
}

}  // namespace kb
