#pragma once

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "listd/http_gate.h"

namespace kb {

// The files under one directory for GET and HEAD. Each file is read once and
// its bytes shared by every connection sending it until it changes on disk, so
// a thousand readers of the game's 1.6 MB build cost it once. The held bytes
// are bounded: a file that does not fit beside those being sent gets 503.
class StaticFiles {
 public:
  // root must be canonical.
  StaticFiles(std::filesystem::path root, size_t capacity);

  // The answer to a GET or HEAD of a regular file inside the root, "/dir/"
  // meaning its index.html; nullopt for any other request.
  std::optional<SharedResponse> Answer(std::string_view request);
  size_t HeldBytes();

 private:
  struct File {
    timespec modified{};
    off_t size = 0;
    std::shared_ptr<const std::string> bytes;
  };
  std::shared_ptr<const std::string> Load(const std::string& path, const struct stat& status);

  const std::filesystem::path root_;
  const size_t capacity_;
  std::mutex mutex_;
  std::unordered_map<std::string, File> files_;
  size_t held_ = 0;
};

}  // namespace kb
