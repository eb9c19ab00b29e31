// kb-fuzz-libs: kb_server kb_client
// Datagrams on the server's discovery port, with the operator's settings varied, go to the game's discovery
// handling. An answer must fit the clients' receive buffer and be read back by their LAN search as this
// server. Input: a byte of settings (hidden, password, players), the server's name (Latin-1) up to a 0xFF
// byte, then the datagram. Names that the server refuses at start (ServerNameProblem, whose Latin-1 test is
// ListNameProblem) are skipped: it never runs with one.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/lan_search.h"
#include "common/net/protocol.h"
#include "common/net/web_list.h"
#include "server/server_game.h"

namespace {

class NoTransport final : public kb::Transport {
 public:
  void Send(kb::ConnectionId, std::string_view) override {}
  std::string Address(kb::ConnectionId) const override { return "10.0.0.1"; }
};

struct World {
  kb::ServerSettings settings;
  kb::ManualClock clock{1000};
  kb::Random random{1};
  NoTransport transport;
  kb::ServerGame game{settings, clock, random, transport};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static World* world = new World;
  kb::ServerGame& game = world->game;
  kb::ServerSettings& settings = world->settings;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t cut = std::min(input.find('\xFF'), input.size());
  std::string name(input.substr(0, cut));
  if (!kb::ListNameProblem(name).empty()) return 0;
  std::string_view datagram = input.substr(std::min(cut + 1, input.size()));
  settings.name = kb::EncodeServerName(name);
  settings.hidden = data[0] & 1;
  settings.passwordBox = data[0] & 2;
  settings.password = "geheim";
  int players = data[0] >> 2;
  while (static_cast<int>(game.Clients().Size()) < players)
    game.HandleMessage(static_cast<kb::ConnectionId>(game.Clients().Size() + 1), "JOIN");
  while (static_cast<int>(game.Clients().Size()) > players)
    game.HandleClosed(static_cast<kb::ConnectionId>(game.Clients().Size()));
  // Past the answer rate limit: each input is a fresh second.
  world->clock.Advance(1000);

  std::optional<std::string> answer = game.AnswerDiscovery(datagram);
  if (!answer) return 0;
  if (settings.hidden || answer->size() > size_t{kb::kReceiveBufferSize}) std::abort();
  auto entry = kb::ParseLanAnswer(*answer, "10.0.0.1");
  if (!entry || entry->name != kb::DecodeServerName(settings.name) || entry->port != settings.port ||
      entry->players != players || entry->hasPassword != (settings.passwordBox ? 1 : 0))
    std::abort();
  return 0;
}
