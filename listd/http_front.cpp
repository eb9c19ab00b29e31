#include "listd/http_front.h"

#include <httplib.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "common/net/forwarded_for.h"
#include "common/platform/core/socket.h"
#include "listd/list_format.h"
#include "listd/list_service.h"

namespace kb {
namespace {

// The browser build's files; the library's own table names no charset.
constexpr std::pair<const char*, const char*> kFileTypes[] = {
    {"html", "text/html; charset=utf-8"},
    {"js", "text/javascript"},
    {"wasm", "application/wasm"},  // streaming compilation insists on it
    {"data", "application/octet-stream"},
    {"png", "image/png"},
    {"ico", "image/x-icon"},
    {"css", "text/css"},
};

// The library refuses ".." above the root, but follows a symbolic link out of
// it, and a NUL cuts the file name short of the extension the type comes from.
bool EscapesRoot(const std::filesystem::path& root, const std::string& path) {
  if (path.find('\0') != std::string::npos) return true;
  std::error_code missing;
  std::filesystem::path file =
      std::filesystem::canonical(root.string() + path + (path.ends_with('/') ? "index.html" : ""), missing);
  if (missing) return false;  // nothing there: the library answers 404 itself
  return std::mismatch(root.begin(), root.end(), file.begin(), file.end()).first != root.end();
}

}  // namespace

std::string RequestingAddress(const std::string& remoteAddress, const std::string& forwardedFor,
                              const std::vector<std::string>& trustedProxies) {
  std::string peer = DottedIpv4(remoteAddress);
  bool trusted = std::find(trustedProxies.begin(), trustedProxies.end(), peer) != trustedProxies.end();
  if (trusted && !peer.empty() && !forwardedFor.empty()) return ForwardedAddress(forwardedFor);
  return peer;
}

void MountListService(httplib::Server& server, ListService& service, const HttpFrontOptions& options) {
  server.set_payload_max_length(4096);
  server.Get(std::string(kListPath),
             [&service, options](const httplib::Request& request, httplib::Response& response) {
               // A proxy appends its own line after any its client sent.
               size_t lines = request.get_header_value_count("X-Forwarded-For");
               std::string forwarded = lines ? request.get_header_value("X-Forwarded-For", lines - 1) : "";
               std::string peer = RequestingAddress(request.remote_addr, forwarded, options.trustedProxies);
               size_t question = request.target.find('?');
               std::string_view query;
               if (question != std::string::npos)
                 query = std::string_view(request.target).substr(question + 1);
               std::string body = peer.empty() ? std::string(kListFailed) : service.Answer(peer, query);
               response.set_content(body, "text/plain; charset=ISO-8859-1");
             });
  // Other paths and methods get a 4xx that still reads as a failed answer.
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(kListFailed), "text/plain; charset=ISO-8859-1");
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    response.status = 500;
    response.set_content(std::string(kListFailed), "text/plain; charset=ISO-8859-1");
  });
}

bool MountWebRoot(httplib::Server& server, const std::string& dir) {
  std::error_code error;
  std::filesystem::path root = std::filesystem::canonical(dir, error);
  // Listing it fails unless it is a directory we may read.
  if (!error) std::filesystem::directory_iterator(root, error);
  if (error || !server.set_mount_point("/", root.string())) return false;
  for (auto [extension, type] : kFileTypes) server.set_file_extension_and_mimetype_mapping(extension, type);
  server.set_pre_routing_handler([root](const httplib::Request& request, httplib::Response& response) {
    if (!EscapesRoot(root, request.path)) return httplib::Server::HandlerResponse::Unhandled;
    response.status = 404;
    return httplib::Server::HandlerResponse::Handled;
  });
  // The files win over handlers, so this answers "/" only without an index.html.
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/kringelbahn.html");
  });
  // Threads need a cross-origin isolated page; the page reads the list too.
  server.set_default_headers({{"Cross-Origin-Opener-Policy", "same-origin"},
                              {"Cross-Origin-Embedder-Policy", "require-corp"},
                              {"Cross-Origin-Resource-Policy", "same-origin"}});
  return true;
}

}  // namespace kb
