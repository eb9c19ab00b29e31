#include "listd/static_files.h"

#include <httplib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

namespace kb {
namespace {

// The browser build's files, by extension.
constexpr std::pair<std::string_view, std::string_view> kFileTypes[] = {
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript"},
    {".wasm", "application/wasm"},  // streaming compilation insists on it
    {".png", "image/png"},
    {".ico", "image/x-icon"},
    {".css", "text/css"},
};

std::string_view FileType(const std::string& path) {
  for (auto [extension, type] : kFileTypes)
    if (path.ends_with(extension)) return type;
  return "application/octet-stream";
}

bool Inside(const std::filesystem::path& root, const std::filesystem::path& file) {
  return std::mismatch(root.begin(), root.end(), file.begin(), file.end()).first == root.end();
}

}  // namespace

StaticFiles::StaticFiles(std::filesystem::path root, size_t capacity)
    : root_(std::move(root)), capacity_(capacity) {}

size_t StaticFiles::HeldBytes() {
  std::lock_guard lock(mutex_);
  return held_;
}

std::optional<SharedResponse> StaticFiles::Answer(std::string_view request) {
  size_t methodEnd = request.find(' ');
  if (methodEnd == std::string_view::npos) return std::nullopt;
  std::string_view method = request.substr(0, methodEnd);
  if (method != "GET" && method != "HEAD") return std::nullopt;
  std::string_view target = request.substr(methodEnd + 1);
  target = target.substr(0, std::min({target.find(' '), target.find('?'), target.find('\r')}));
  std::string path = httplib::detail::decode_url(std::string(target), false);
  // A NUL would cut the name short of the extension the type comes from.
  if (!path.starts_with('/') || path.find('\0') != std::string::npos) return std::nullopt;
  if (path.ends_with('/')) path += "index.html";
  // Resolving links too: none may lead out of the root.
  std::error_code missing;
  std::filesystem::path file = std::filesystem::canonical(root_.string() + path, missing);
  struct stat status {};
  if (missing || !Inside(root_, file) || stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    return std::nullopt;

  std::shared_ptr<const std::string> bytes = Load(file.string(), status);
  if (!bytes)
    return SharedResponse{
        "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"};
  SharedResponse answer{"HTTP/1.1 200 OK\r\nContent-Type: " + std::string(FileType(path)) +
                        "\r\nContent-Length: " + std::to_string(bytes->size()) +
                        "\r\nConnection: close\r\n\r\n"};
  if (method == "GET") answer.body = std::move(bytes);
  return answer;
}

std::shared_ptr<const std::string> StaticFiles::Load(const std::string& path, const struct stat& status) {
  std::lock_guard lock(mutex_);
  File& held = files_[path];
  if (held.bytes && held.size == status.st_size && held.modified.tv_sec == status.st_mtim.tv_sec &&
      held.modified.tv_nsec == status.st_mtim.tv_nsec)
    return held.bytes;
  held_ -= held.bytes ? held.bytes->size() : 0;
  held = {};
  // Make room from files nobody is sending.
  size_t needed = static_cast<size_t>(status.st_size);
  for (auto it = files_.begin(); held_ + needed > capacity_ && it != files_.end();) {
    if (it->second.bytes && it->second.bytes.use_count() == 1) {
      held_ -= it->second.bytes->size();
      it = files_.erase(it);
    } else {
      ++it;
    }
  }
  if (held_ + needed > capacity_) {
    files_.erase(path);
    return nullptr;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes(needed, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(needed));
  if (in.bad() || !in.is_open()) {
    files_.erase(path);
    return nullptr;
  }
  // A file written meanwhile is read again by the next request.
  bytes.resize(static_cast<size_t>(in.gcount()));
  held = {status.st_mtim, static_cast<off_t>(bytes.size()),
          std::make_shared<const std::string>(std::move(bytes))};
  held_ += held.bytes->size();
  return held.bytes;
}

}  // namespace kb
