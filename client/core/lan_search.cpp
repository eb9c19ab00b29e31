#include "client/core/lan_search.h"

#include "common/net/discovery.h"
#include "common/platform/core/socket.h"

namespace kb {

namespace {

std::string_view Piece(std::string_view text, int index) {
  for (int i = 0; i < index; ++i) {
    size_t next = text.find(kFieldSeparator);
    if (next == std::string_view::npos) return {};
    text.remove_prefix(next + 1);
  }
  return text.substr(0, text.find(kFieldSeparator));
}

constexpr int kDatagramsPerPoll = 64;
// Servers send 16 digits; a longer id is cut, not kept whole.
constexpr size_t kMaxIdLength = 32;

}  // namespace

const bool kLanSearchPossible = true;

std::optional<ServerListEntry> ParseLanAnswer(std::string_view datagram, const std::string& sender) {
  datagram = datagram.substr(0, datagram.find('\0'));
  if (Piece(datagram, 0) != kDiscoveryAnswerTag) return std::nullopt;
  ServerListEntry entry;
  entry.name = DecodeServerName(Piece(datagram, 1));
  entry.address = sender;
  entry.port = ParseNumberText(Piece(datagram, 2));
  entry.players = ParseNumberText(Piece(datagram, 3));
  entry.hasPassword = ParseNumberText(Piece(datagram, 4));
  entry.id = Piece(datagram, 5).substr(0, kMaxIdLength);
  // No connection can reach such a port.
  if (entry.port < 1 || entry.port > 65535) return std::nullopt;
  return entry;
}

LanSearch::LanSearch(Clock& clock, LanSearchPorts ports, int durationMs)
    : clock_(clock), start_(clock.Now()), durationMs_(durationMs) {
  // Listen before asking: a server on this machine answers within
  // microseconds, before a receiver opened afterwards would exist.
  if (!receiver_.Open(ports.answer)) return;
  Broadcast(ports.request, kDiscoveryRequest);
  SendLinkMulticast(ports.request, kDiscoveryRequest);
}

bool LanSearch::Step(ServerList& list, uint64_t token) {
  if (!receiver_.IsOpen() || clock_.Now() - start_ >= durationMs_) return true;
  char buffer[kReceiveBufferSize];
  std::string sender;
  // A flood of datagrams must not hold the frame.
  for (int i = 0; i < kDatagramsPerPoll; ++i) {
    long got = receiver_.Receive(buffer, sizeof buffer, &sender);
    if (got < 0) break;
    // A link-local sender is reached over the interface its answer came in on.
    if (unsigned zone = receiver_.SenderInterface()) sender.append(1, '%').append(std::to_string(zone));
    auto entry = ParseLanAnswer(std::string_view(buffer, static_cast<size_t>(got)), sender);
    if (!entry) continue;
    ServerList::AddResult result = list.Add(token, std::move(*entry), true);
    if (result == ServerList::AddResult::kFull || result == ServerList::AddResult::kStale) return true;
  }
  return false;
}

}  // namespace kb
