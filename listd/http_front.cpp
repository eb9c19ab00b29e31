#include "listd/http_front.h"

#include <httplib.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "common/net/forwarded_for.h"
#include "common/net/web_list.h"
#include "common/net/web_socket_opening.h"
#include "common/platform/core/socket.h"
#include "listd/http_gate.h"
#include "listd/list_format.h"
#include "listd/list_service.h"
#include "listd/relay.h"
#include "listd/static_files.h"

namespace kb {

std::string RequestingAddress(const std::string& remoteAddress, const std::string& forwardedFor,
                              const std::vector<std::string>& trustedProxies) {
  std::string peer = PlainAddress(remoteAddress);
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
               std::string id = request.get_header_value(std::string(kServerIdHeader).c_str());
               std::string body = peer.empty() ? std::string(kListFailed) : service.Answer(peer, query, id);
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

void MountRelay(GatedHttpServer& server, ListService& service, Relay& relay,
                const HttpFrontOptions& options) {
  server.TakeUpgrades(
      [&service, &relay, options](std::string_view request,
                                  const std::string& peer) -> std::optional<GatedHttpServer::Takeover> {
        std::string_view line = request.substr(0, request.find("\r\n"));
        size_t space = line.find(' ');
        std::string_view target = space == std::string_view::npos ? "" : line.substr(space + 1);
        std::string_view path = target.substr(0, std::min(target.find('?'), target.find(' ')));
        if (path != kPlayPath) return std::nullopt;
        auto refuse = [](int status, std::string_view reason) {
          return GatedHttpServer::Takeover{SharedResponse{HttpRefusal(status, reason), nullptr}, {}};
        };
        WebSocketHandshake opening = ReadHandshake(request);
        if (opening.state != WebSocketHandshake::State::kUpgrade)
          return GatedHttpServer::Takeover{SharedResponse{opening.answer, nullptr}, {}};
        std::string address, player = RequestingAddress(peer, opening.forwardedFor, options.trustedProxies);
        int port = 0;
        if (!ParsePlayTarget(opening.target, &address, &port) || player.empty())
          return refuse(400, "Bad Request");
        // Never an open proxy: only to what the list shows as up.
        if (!service.Relayable(address, port)) return refuse(403, "Forbidden");
        if (!relay.Reserve(player)) return refuse(503, "Service Unavailable");
        std::string early(request.substr(std::min(opening.length, request.size())));
        return GatedHttpServer::Takeover{
            std::nullopt, [&relay, player, address, port, answer = std::move(opening.answer), early](int fd) {
              relay.Adopt(fd, player, address, port, answer, early);
            }};
      });
}

bool MountWebRoot(GatedHttpServer& server, const std::string& dir) {
  std::error_code error;
  std::filesystem::path root = std::filesystem::canonical(dir, error);
  // Listing it fails unless it is a directory we may read.
  if (!error) std::filesystem::directory_iterator(root, error);
  if (error) return false;
  auto files = std::make_shared<StaticFiles>(root, kWebRootBytes);
  server.AnswerFirst([files](std::string_view request) { return files->Answer(request); });
  // Files come first, so this answers "/" only without an index.html.
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/kringelbahn.html");
  });
  return true;
}

}  // namespace kb
