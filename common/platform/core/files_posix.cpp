#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/platform/core/files.h"

namespace kb {

std::vector<DirEntry> ListAll(const std::string& directory);

int64_t FileSize(const std::string& path) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool ReadSmallFile(const std::string& path, size_t maxBytes, std::string* text) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  text->assign(maxBytes, '\0');
  size_t filled = 0;
  while (filled < text->size()) {
    ssize_t got = read(fd, text->data() + filled, text->size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  close(fd);
  text->resize(filled);
  return true;
}

bool ReplaceFileContents(const std::string& path, const std::string& text) {
  // access() would let root write anything, so the mode bits are read too.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || access(path.c_str(), W_OK) != 0 ||
                                         (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0))
    return false;
  std::string target = path;
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
  }
  // Two programs saving at once never share a temporary file.
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temporary = folder + "." + name + ".XXXXXX";
  int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fchmod(fd, stat(target.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644) == 0;
  for (size_t written = 0; ok && written < text.size();) {
    ssize_t put = write(fd, text.data() + written, text.size() - written);
    if (put < 0 && errno == EINTR) continue;
    ok = put > 0;
    if (ok) written += static_cast<size_t>(put);
  }
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

std::vector<DirEntry> ListAll(const std::string& directory) {
  std::vector<DirEntry> entries;
  DIR* dir = opendir(directory.c_str());
  if (!dir) return entries;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    struct stat info;
    bool isDirectory = stat((directory + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    entries.push_back({name, isDirectory});
  }
  closedir(dir);
  return entries;
}

std::string SettingsDirectory() {
  std::string home;
  if (const char* env = std::getenv("KRINGELBAHN_SETTINGS_DIR"); env && *env) {
    home = env;
  } else if (const char* env = std::getenv("HOME"); env && *env) {
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
