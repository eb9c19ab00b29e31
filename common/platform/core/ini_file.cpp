#include "common/platform/core/ini_file.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "common/platform/core/files.h"

namespace kb {

namespace {

// A configuration file is a few lines; more than this is not one of ours.
constexpr size_t kMaxFileBytes = 1 << 20;

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int ParseInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  entries_.clear();
  std::string text;
  if (!ReadSmallFile(path, kMaxFileBytes, &text)) return false;
  Parse(text);
  return true;
}

void IniFile::Parse(const std::string& text) {
  entries_.clear();
  std::string group;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(std::string("\r\n\0", 3), start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      group = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = Trim(line.substr(0, equals));
    if (!key.empty()) entries_.push_back({group, key, Trim(line.substr(equals + 1))});
  }
}

int IniFile::ReadInt(const std::string& group, const std::string& key, int fallback) const {
  // The first occurrence wins, as with the usual profile readers.
  for (const Entry& entry : entries_)
    if (SameText(entry.group, group) && SameText(entry.key, key)) return ParseInt(entry.value);
  return fallback;
}

std::string IniFile::ReadText(const std::string& group, const std::string& key) const {
  for (const Entry& entry : entries_)
    if (SameText(entry.group, group) && SameText(entry.key, key)) return entry.value;
  return {};
}

bool WriteIni(const std::string& path, const std::string& group,
              const std::vector<std::pair<std::string, IniValue>>& values) {
  std::string text = "[" + group + "]\r\n";
  for (const auto& [key, value] : values) text += key + " = " + value.text + "\r\n";
  return ReplaceFileContents(path, text);
}

}  // namespace kb
