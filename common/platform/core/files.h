#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kb {

// Size of the file in bytes, -1 when it does not exist or is not a regular file.
int64_t FileSize(const std::string& path);

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};

// The entries of a directory whose names match the wildcard ('*' any run of
// characters, '?' one character; letter case ignored), sorted by name. The
// wildcard may carry a directory part ("scripts/*.kbs"); without one the
// current directory is listed. "." and ".." are never listed.
std::vector<DirEntry> ListDirectory(const std::string& wildcard);

// Whether name matches the wildcard pattern, letter case ignored.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// The user's home directory without a trailing separator ($HOME, else the
// password database, else the current directory ".").
std::string HomeDirectory();

}  // namespace kb
