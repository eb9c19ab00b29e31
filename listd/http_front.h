#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace httplib {
class Server;
}

namespace kb {

class GatedHttpServer;
class ListService;
class Relay;

// The web root's files held in memory at most; the game's build is a few MB.
constexpr size_t kWebRootBytes = 64 << 20;

struct HttpFrontOptions {
  // Behind a reverse proxy the peer is the proxy: from these peers (dotted
  // IPv4) take the address it appended to X-Forwarded-For instead.
  std::vector<std::string> trustedProxies;
};

// Serves "/kringel_server.php" from the service on the HTTP server (a
// GatedHttpServer, which keeps one slow or greedy peer from the others).
void MountListService(httplib::Server& server, ListService& service, const HttpFrontOptions& options);

// Takes WebSocket openings on "/play?address=A&port=P" (see ParsePlayTarget)
// and hands them to the relay when A:P is an entry whose last check passed:
// else 403, 400 for another form, 503 when the player's places are taken.
// The player is the requesting address, as for the list.
void MountRelay(GatedHttpServer& server, ListService& service, Relay& relay, const HttpFrontOptions& options);

// Serves the files under dir (the browser build of the game) beside the list,
// "/" redirecting to the page. False when dir is no readable directory.
bool MountWebRoot(GatedHttpServer& server, const std::string& dir);

// The requesting address: the TCP peer, or when the peer is a trusted proxy
// the last X-Forwarded-For address; empty when that is not a dotted IPv4
// address. Anyone else's header is ignored.
std::string RequestingAddress(const std::string& remoteAddress, const std::string& forwardedFor,
                              const std::vector<std::string>& trustedProxies);

}  // namespace kb
