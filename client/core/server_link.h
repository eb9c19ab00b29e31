#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/server_list.h"

namespace kb {

// The client's one connection to a game server. Sends never block: messages
// wait in the link until Flush, which the frame loop calls once per frame.
// Over a socket in the program; tests script the peer in-process.
class ServerLink {
 public:
  virtual ~ServerLink() = default;
  // Copies at most n arrived bytes: the count, 0 when nothing is there yet,
  // -1 when the server closed the connection or it broke.
  virtual long Receive(char* buffer, size_t n) = 0;
  // Queues one whole message; false once the link is broken.
  virtual bool Send(std::string_view message) = 0;
  // Hands the queued messages to the network as far as it takes them now;
  // false once the link is broken (also when too much waits unsent).
  virtual bool Flush() = 0;
  // Waits at most timeoutMs for the queue to leave: the last words before the
  // link is closed.
  virtual void Drain(int timeoutMs) = 0;
};

// A link being opened. The frame loop asks once a pass and goes on meanwhile;
// the attempt gives up by itself at its time limit.
class LinkAttempt {
 public:
  virtual ~LinkAttempt() = default;
  // True once decided: link then holds the open link, or nullptr when the
  // attempt failed.
  virtual bool Poll(std::unique_ptr<ServerLink>& link) = 0;
  // Why a failed attempt could not even try, for the console; empty for a
  // server that did not answer.
  virtual std::string FailureReason() const { return {}; }
};

// An attempt decided from the start: link, or a failure (for the reason
// given, if any) when it is nullptr.
std::unique_ptr<LinkAttempt> DecidedAttempt(std::unique_ptr<ServerLink> link, std::string reason = {});

// The servers the Internet list named: a page reaches those through the list
// service's relay. Nothing to note for a program that connects directly.
void NoteListedServers(const std::vector<ServerListEntry>& entries);

// The hosts that serverAddress names: one, or (an Internet list row of a
// server registered over both families) its IPv4 and IPv6 address, which a
// connection tries as one host's addresses.
inline std::vector<std::string> ServerHosts(const std::string& serverAddress) {
  std::vector<std::string> hosts;
  for (size_t from = 0; from < serverAddress.size();) {
    size_t to = std::min(serverAddress.find(' ', from), serverAddress.size());
    if (to > from) hosts.push_back(serverAddress.substr(from, to - from));
    from = to + 1;
  }
  return hosts;
}

// Starts opening a link to host:port.
using LinkOpener = std::function<std::unique_ptr<LinkAttempt>(const std::string& host, int port)>;

// A connection attempt gives up after this long: the system's own limit is a
// minute or more on an unreachable address.
constexpr int kConnectTimeoutMs = 5000;

// TCP with TCP_NODELAY, host names and dotted addresses; in the browser a
// WebSocket to the same host and port (binary frames, wss:// on an https page).
std::unique_ptr<LinkAttempt> OpenServerLink(const std::string& host, int port);

}  // namespace kb
