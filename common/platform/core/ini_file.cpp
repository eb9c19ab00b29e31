#include "common/platform/core/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

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
  // Without blocking: a FIFO or a device in the file's place must not stall
  // start-up; only a regular file is read.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  std::string text(kMaxFileBytes, '\0');
  size_t filled = 0;
  while (filled < text.size()) {
    ssize_t got = read(fd, text.data() + filled, text.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  close(fd);
  text.resize(filled);
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

bool WriteIni(const std::string& path, const std::string& group,
              const std::vector<std::pair<std::string, int>>& values) {
  // A write-protected file stays as it is, even though the directory would let
  // us replace it (also for root, whom
  // access() lets write anything).
  // Nor is anything but a regular file (a FIFO, a device) replaced.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || access(path.c_str(), W_OK) != 0 ||
                                         (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0))
    return false;
  // A symbolic link stays one: the file it points to is replaced.
  std::string target = path;
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
  }
  std::string text = "[" + group + "]\r\n";
  for (const auto& [key, value] : values) text += key + " = " + std::to_string(value) + "\r\n";

  // Written beside the target under a name of its own and renamed over it,
  // so a full disk or a crash never leaves half a file, and two programs
  // saving at once never share a temporary file.
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string temporary = folder + ".Kringelbahn.ini.XXXXXX";
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

}  // namespace kb
