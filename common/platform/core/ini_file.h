#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kb {

// The configuration file format: "[Group]" lines, then "key = value" lines.
// Groups and keys are matched without regard to letter case.
class IniFile {
 public:
  // False when the file cannot be read; the file then reads as empty.
  bool Load(const std::string& path);
  // Parses text already in memory (any line ends).
  void Parse(const std::string& text);

  // The value as a decimal integer: leading blanks, an optional sign, then
  // digits; a value that does not start that way reads as 0, and values beyond
  // the int range are clamped. The fallback applies when the key is missing.
  int ReadInt(const std::string& group, const std::string& key, int fallback) const;
  // The value as written, without the blanks around it; empty when missing.
  std::string ReadText(const std::string& group, const std::string& key) const;

 private:
  struct Entry {
    std::string group;
    std::string key;
    std::string value;
  };
  std::vector<Entry> entries_;
};

// A value to write: a number in decimal, or a text as it is.
struct IniValue {
  IniValue(int number) : text(std::to_string(number)) {}
  IniValue(std::string value) : text(std::move(value)) {}
  std::string text;
};

// Replaces the file with one group line and one "key = value" line per value,
// each ended by CR LF. The old file stays intact when writing fails.
bool WriteIni(const std::string& path, const std::string& group,
              const std::vector<std::pair<std::string, IniValue>>& values);

}  // namespace kb
