// kb-fuzz-libs: kb_server
// Arbitrary bytes, cut into receives of arbitrary sizes on three connections, go through the receive buffer
// into the game, with ticks in between. Every send of the game must be whole messages with known keywords.
// Input: two control bytes (connection and receive length, time passing), then that receive's bytes;
// repeated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "common/net/protocol.h"
#include "common/net/receive_buffer.h"
#include "server/server_game.h"

namespace {

constexpr int kConnections = 3;
constexpr kb::ConnectionId kResetter = 99;

class CheckingTransport final : public kb::Transport {
 public:
  // A send may carry several messages (a shared run), never a part of one.
  void Send(kb::ConnectionId, std::string_view messages) override {
    if (messages.empty() || messages.back() != kb::kMessageTerminator) std::abort();
    if (messages.find('\0') != std::string_view::npos) std::abort();
    for (std::string_view m : kb::SplitMessages(messages))
      if (kb::ParseKeyword(kb::MessageField(m, 1)) == kb::Keyword::kUnknown) std::abort();
  }
  std::string Address(kb::ConnectionId connection) const override {
    return "10.0.0." + std::to_string(connection);
  }
};

// The game is built once: a new one costs its field image, far more than a
// run. Between inputs it is brought back to a fresh game's state.
struct World {
  kb::ServerSettings fresh;
  kb::ServerSettings settings;
  kb::ManualClock clock{1000};
  kb::Random random{1};
  CheckingTransport transport;
  std::optional<kb::ServerGame> game;

  World() {
    fresh.name = "Fuzz";
    fresh.adminPassword = "a";
    settings = fresh;
    game.emplace(settings, clock, random, transport);
  }

  void Message(kb::ConnectionId c, kb::Keyword keyword, std::initializer_list<kb::Field> fields = {}) {
    std::string m = kb::BuildMessage(keyword, fields);
    m.pop_back();
    game->HandleMessage(c, m);
  }

  void Reset() {
    if (game->ShutdownRequested()) {
      game.emplace(settings = fresh, clock, random, transport);
    } else {
      for (kb::ConnectionId c = 1; c <= kConnections; ++c) game->HandleClosed(c);
      settings = fresh;
      // Past every guess window and rate limit; a tick with nobody waits.
      clock.Advance(10 * 60 * 1000);
      game->RunTick();
      if (game->Paused()) {
        Message(kResetter, kb::Keyword::kJoin);
        Message(kResetter, kb::Keyword::kAdmin, {"LOGIN a"});
        Message(kResetter, kb::Keyword::kAdmin, {"PAUSE"});
        game->HandleClosed(kResetter);
        if (game->Paused()) std::abort();
      }
      clock.Advance(1000);
      game->RunTick();
    }
    random = kb::Random(1);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World* world = new World;
  kb::ServerGame& game = *world->game;
  kb::ReceiveBuffer buffers[kConnections];
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string message;
  while (input.size() >= 2) {
    uint8_t a = static_cast<uint8_t>(input[0]);
    uint8_t b = static_cast<uint8_t>(input[1]);
    input.remove_prefix(2);
    int connection = a % kConnections;
    size_t length = std::min<size_t>(input.size(), 1 + (b & 0x3F) * 4);
    std::string_view chunk = input.substr(0, length);
    input.remove_prefix(length);
    if (buffers[connection].Add(chunk)) {
      while (buffers[connection].Next(message)) game.HandleMessage(connection + 1, message);
    } else {
      game.HandleClosed(connection + 1);
      buffers[connection] = kb::ReceiveBuffer();
    }
    world->clock.Advance((a >> 2) * 40 + (b >> 6) * 1000);
    while (game.TickDue()) game.RunTick();
    if (game.ShutdownRequested()) break;
  }
  world->Reset();
  return 0;
}
