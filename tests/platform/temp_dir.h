#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kb {

// A fresh directory under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::random_device random;
    // create_directory fails on a name that exists, so the folder is ours alone.
    for (int i = 0; i < 100 && path_.empty(); ++i) {
      std::filesystem::path candidate = base / ("kb_platform_" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.generic_string();
    }
    // Without a directory of our own there is nothing safe to remove later.
    if (path_.empty()) std::abort();
  }
  ~TempDir() {
    std::error_code error;
    if (std::filesystem::remove_all(path_, error) != static_cast<std::uintmax_t>(-1)) return;
    // Windows keeps a read-only file (one a test protected) from being deleted.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error))
      std::filesystem::permissions(
          entry.path(), std::filesystem::perms::owner_write,
          std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, error);
    std::filesystem::remove_all(path_, error);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::string path_;
};

}  // namespace kb
