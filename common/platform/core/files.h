#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kb {

// Paths are UTF-8 on Windows, where a byte that does not start a UTF-8
// sequence stands for its Latin-1 character (names typed in the game), and
// plain bytes elsewhere.

// Size of the file in bytes, -1 when it does not exist or is not a regular file.
int64_t FileSize(const std::string& path);

// std::fopen for the path rules above.
std::FILE* OpenFile(const std::string& path, const char* mode);

// At most maxBytes of a regular file into *text, without blocking on a FIFO or
// a device in its place; false when there is no such file.
bool ReadSmallFile(const std::string& path, size_t maxBytes, std::string* text);

// Replaces the file's contents as one step: written beside it under a name of
// its own and moved over it, so a full disk or a crash never leaves half a
// file. A write-protected file or anything but a regular file is left as it
// is (false); a symbolic link stays one, the file it points to is replaced.
bool ReplaceFileContents(const std::string& path, const std::string& text);

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};

// The entries of a directory whose names match the wildcard ('*' any run of
// characters, '?' one character; letter case ignored), sorted by name. The
// wildcard may carry a directory part ("scripts/*.kbs"); without one the
// current directory is listed. "." and ".." are never listed. Windows names
// come as Latin-1 where they can, else as UTF-8.
std::vector<DirEntry> ListDirectory(const std::string& wildcard);

// Whether name matches the wildcard pattern, letter case ignored.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// Where the client keeps its settings, without a trailing separator:
// $KRINGELBAHN_SETTINGS_DIR when set; else the user's home directory ($HOME,
// the password database, else "."), and on Windows %APPDATA%\Kringelbahn,
// created when missing.
std::string SettingsDirectory();

}  // namespace kb
