#pragma once

#include <string>
#include <vector>

#include "client/core/server_list.h"

namespace kb {

// How a page reaches a game server. Game servers speak no TLS and live on
// bare addresses, so a page reaches the servers of its list through the
// list service's relay on its own origin; any other server only where the
// browser allows a plain connection (a page loaded over http:).
enum class BrowserRoute { kRelay, kDirect, kUnreachable };

// The page the client runs in: its scheme and host:port.
struct PageOrigin {
  bool secure = false;
  std::string host;
  int port = 0;
};

// The servers the last Internet list named, by address and port.
class ListedServers {
 public:
  void Note(const std::vector<ServerListEntry>& entries) { entries_ = entries; }
  bool Contains(const std::string& serverAddress, int port) const;

 private:
  std::vector<ServerListEntry> entries_;
};

BrowserRoute ChooseBrowserRoute(const std::string& serverAddress, int port, const ListedServers& listed,
                                const PageOrigin& page);

// The relay's path on the page's origin for a listed server (its first
// address: a list row's IPv4 one).
std::string RelayPath(const std::string& serverAddress, int port);

// The console's line for a server that this page cannot reach.
inline constexpr char kUnlistedOnSecurePage[] =
    "Diese Seite erreicht nur Server aus der Internet-Liste (https erlaubt keine direkte Verbindung).";

}  // namespace kb
