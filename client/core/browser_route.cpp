#include "client/core/browser_route.h"

#include "client/core/server_link.h"
#include "common/platform/core/address.h"

namespace kb {

namespace {

// Typed hosts may come bracketed or in another spelling of the same address.
std::string Canonical(const std::string& host) {
  std::string bare(WithoutBrackets(host));
  std::string plain = PlainAddress(bare);
  return plain.empty() ? bare : plain;
}

}  // namespace

bool ListedServers::Contains(const std::string& serverAddress, int port) const {
  for (const std::string& host : ServerHosts(serverAddress))
    for (const ServerListEntry& entry : entries_)
      for (const std::string& listed : ServerHosts(entry.address))
        if (entry.port == port && Canonical(listed) == Canonical(host)) return true;
  return false;
}

BrowserRoute ChooseBrowserRoute(const std::string& serverAddress, int port, const ListedServers& listed,
                                const PageOrigin& page) {
  std::vector<std::string> hosts = ServerHosts(serverAddress);
  bool ownOrigin = !hosts.empty() && Canonical(hosts.front()) == Canonical(page.host) && port == page.port;
  if (listed.Contains(serverAddress, port) && !ownOrigin) return BrowserRoute::kRelay;
  return page.secure && !ownOrigin ? BrowserRoute::kUnreachable : BrowserRoute::kDirect;
}

std::string RelayPath(const std::string& serverAddress, int port) {
  std::vector<std::string> hosts = ServerHosts(serverAddress);
  std::string address = Canonical(hosts.empty() ? serverAddress : hosts.front());
  std::string encoded;
  for (char c : address) encoded += c == ':' ? std::string("%3A") : std::string(1, c);
  return "/play?address=" + encoded + "&port=" + std::to_string(port);
}

}  // namespace kb
