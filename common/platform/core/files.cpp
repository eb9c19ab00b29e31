#include "common/platform/core/files.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kb {

int64_t FileSize(const std::string& path) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

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
  size_t slash = wildcard.rfind('/');
  if (slash != std::string::npos) {
    directory = slash == 0 ? "/" : wildcard.substr(0, slash);
    pattern = wildcard.substr(slash + 1);
  }
  std::vector<DirEntry> entries;
  DIR* dir = opendir(directory.c_str());
  if (!dir) return entries;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == ".." || !WildcardMatch(pattern, name)) continue;
    struct stat info;
    bool isDirectory = stat((directory + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    entries.push_back({name, isDirectory});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

std::string HomeDirectory() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir) {
    home = entry->pw_dir;
  } else {
    return ".";
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home;
}

}  // namespace kb
