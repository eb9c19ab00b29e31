#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/server_list.h"
#include "common/net/protocol.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/socket.h"

namespace kb {

constexpr int kLanSearchMs = 5000;

struct LanSearchPorts {
  int request = kDiscoveryRequestPort;
  int answer = kDiscoveryAnswerPort;
};

// A server's answer datagram from sender as a list entry, or nothing when it
// is not an answer. The text ends at the first zero byte.
std::optional<ServerListEntry> ParseLanAnswer(std::string_view datagram, const std::string& sender);

// False where no search can be made (a browser has no UDP): the LAN screen
// says so instead, and its manual connection still works.
extern const bool kLanSearchPossible;

// Asks every server on the network for its answer, then lists each answering
// address and port once, for durationMs or until the table is full. The
// answers of other clients' searches count as well.
class LanSearch final : public ServerListSearch {
 public:
  LanSearch(Clock& clock, LanSearchPorts ports = {}, int durationMs = kLanSearchMs);
  bool Step(ServerList& list, uint64_t token) override;

 private:
  Clock& clock_;
  int64_t start_;
  int durationMs_;
  UdpSocket receiver_;
};

}  // namespace kb
