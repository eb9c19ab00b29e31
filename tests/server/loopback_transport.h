#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/net/protocol.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/random.h"
#include "server/server_game.h"
#include "server/transport.h"

namespace kb::testing {

// Keeps every message the game sends, in order, per connection and overall.
class LoopbackTransport final : public Transport {
 public:
  void Send(ConnectionId connection, std::string_view message) override {
    for (std::string_view m : SplitMessages(message)) log.emplace_back(connection, std::string(m));
  }

  // Messages to one connection, fields joined by spaces: "MODE 10".
  std::vector<std::string> To(ConnectionId connection) const {
    std::vector<std::string> out;
    for (const auto& [c, m] : log) {
      if (c == connection) out.push_back(Readable(m));
    }
    return out;
  }
  // Every message as "to: MODE 10", in sending order.
  std::vector<std::string> All() const {
    std::vector<std::string> out;
    for (const auto& [c, m] : log) out.push_back(std::to_string(c) + ": " + Readable(m));
    return out;
  }
  static std::string Readable(std::string m) {
    for (char& ch : m) {
      if (ch == kFieldSeparator) ch = ' ';
      if (ch == kEntrySeparator) ch = '|';
      if (ch == kSubFieldSeparator) ch = '/';
    }
    return m;
  }
  void Clear() { log.clear(); }

  std::vector<std::pair<ConnectionId, std::string>> log;
};

// A game with a fake clock, a seeded random source and the loopback.
struct GameFixture {
  ServerSettings settings;
  ManualClock clock{100000};
  Random random{42};
  LoopbackTransport sent;
  ServerGame game{settings, clock, random, sent};

  GameFixture() { settings.name = "Test%20Server"; }

  void Message(ConnectionId c, std::string_view keyword, std::initializer_list<Field> fields = {}) {
    game.HandleMessage(c, SplitMessages(BuildMessage(keyword, fields)).at(0));
  }
  void Join(ConnectionId c) { Message(c, "JOIN"); }
  // Advances to the next tick and runs it.
  void Tick() {
    clock.Advance(ServerGame::kTickInterval + 1);
    game.RunTick();
  }
  ClientRecord& Record(ConnectionId c) { return *game.Clients().Find(c); }
  // Keeps every record alive for the silence check.
  void Ping(ConnectionId c) { Message(c, "PING"); }
};

}  // namespace kb::testing
