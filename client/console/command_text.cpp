#include "client/console/command_text.h"

#include <cstdint>

namespace kb {

std::string TextField(const std::string& text, int k) {
  if (k < 1) return {};
  size_t start = 0;
  for (int i = 1; i < k; ++i) {
    size_t blank = text.find(' ', start);
    if (blank == std::string::npos) return {};
    start = blank + 1;
  }
  size_t end = text.find(' ', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string ProtectQuotes(const std::string& args) {
  std::string result = args;
  size_t quotes = 0;
  for (char c : result) quotes += c == '"';
  size_t position = 0;
  for (size_t pair = 0; pair < quotes / 2; ++pair) {
    size_t open = result.find('"', position);
    size_t close = result.find('"', open + 1);
    for (size_t i = open + 1; i < close; ++i)
      if (result[i] == ' ') result[i] = kProtectedBlank;
    position = close + 1;
  }
  return result;
}

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  out.reserve(text.size());
  size_t position = 0;
  for (;;) {
    size_t found = text.find(from, position);
    if (found == std::string::npos) break;
    out.append(text, position, found - position);
    out += to;
    position = found + from.size();
  }
  out.append(text, position, std::string::npos);
  text.swap(out);
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value >= 0 && value < base ? value : -1;
}

}  // namespace

std::string Unquote(const std::string& text) {
  static const std::string kMarker = "[DQUOTE]";
  std::string result = text;
  ReplaceAll(result, "\\\"", kMarker);
  ReplaceAll(result, "\"", "");
  for (char& c : result)
    if (c == kProtectedBlank) c = ' ';
  ReplaceAll(result, kMarker, "\"");
  return result;
}

int ParseNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$')
    base = 16, ++i;
  else if (i < text.size() && text[i] == '%')
    base = 2, ++i;
  // Unsigned arithmetic: huge numbers wrap instead of overflowing.
  uint64_t value = 0;
  for (int digit; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i)
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  if (negative) value = ~value + 1;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::string ToLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace kb
