#include "common/platform/core/files.h"

#include <algorithm>
#include <cctype>

namespace kb {

// The system's side: every entry of the directory.
std::vector<DirEntry> ListAll(const std::string& directory);

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  // Greedy matching with one backtrack point: linear in practice and never
  // exponential on patterns like "*a*a*a*b".
  size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<DirEntry> ListDirectory(const std::string& wildcard) {
  std::string directory = ".";
  std::string pattern = wildcard;
#ifdef _WIN32
  size_t slash = wildcard.find_last_of("/\\");
#else
  size_t slash = wildcard.rfind('/');
#endif
  if (slash != std::string::npos) {
    directory = slash == 0 ? wildcard.substr(0, 1) : wildcard.substr(0, slash);
    pattern = wildcard.substr(slash + 1);
  }
  std::vector<DirEntry> entries;
  for (DirEntry& entry : ListAll(directory)) {
    if (entry.name == "." || entry.name == ".." || !WildcardMatch(pattern, entry.name)) continue;
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

}  // namespace kb
