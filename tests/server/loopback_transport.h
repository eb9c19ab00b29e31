#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/net/protocol.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/random.h"
#include "server/server_game.h"
#include "server/server_loop.h"
#include "server/transport.h"
#include "tests/server/wire_client.h"

namespace kb::testing {

// Keeps every message the game sends, in order, in readable form, and
// counts the sends, each of which must hold whole messages.
class LoopbackTransport final : public Transport {
 public:
  void Send(ConnectionId connection, std::string_view message) override {
    EXPECT_TRUE(message.ends_with(kMessageTerminator)) << Readable(std::string(message));
    for (std::string_view m : SplitMessages(message)) log.emplace_back(connection, Readable(std::string(m)));
    ++sends;
  }
  // Every connection comes from one address unless a test says otherwise.
  std::string Address(ConnectionId connection) const override {
    auto it = addresses.find(connection);
    return it == addresses.end() ? "127.0.0.1" : it->second;
  }
  // Messages to one connection: "MODE^10".
  std::vector<std::string> To(ConnectionId connection) const {
    std::vector<std::string> out;
    for (const auto& [c, m] : log)
      if (c == connection) out.push_back(m);
    return out;
  }
  // Every message as "to: MODE^10", in sending order.
  std::vector<std::string> All() const {
    std::vector<std::string> out;
    for (const auto& [c, m] : log) out.push_back(std::to_string(c) + ": " + m);
    return out;
  }
  std::vector<std::pair<ConnectionId, std::string>> log;
  std::map<ConnectionId, std::string> addresses;
  int sends = 0;
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
  void Join(ConnectionId from, ConnectionId to) {
    for (ConnectionId c = from; c <= to; ++c) Message(c, "JOIN");
  }
  void Go(ConnectionId from, ConnectionId to) {
    for (ConnectionId c = from; c <= to; ++c) Message(c, "GO");
  }
  // Advances past the tick interval and runs the tick.
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) clock.Advance(ServerGame::kTickInterval + 1), game.RunTick();
  }
  // One tick with only its own messages in the log.
  void Step() { sent.log.clear(), Tick(); }
  // A tick at a given time, with only its own messages in the log.
  void TickAt(int64_t time) { sent.log.clear(), clock.Set(time), game.RunTick(); }
  ClientRecord& Record(ConnectionId c) { return *game.Clients().Find(c); }
  std::string ColourOf(ConnectionId c) { return std::to_string(Record(c).colour); }
  // Administration answers to one command line.
  std::vector<std::string> Admin(std::string_view line, ConnectionId from = 1) {
    sent.log.clear();
    Message(from, "ADMIN", {line});
    return sent.To(from);
  }
  void Pause() { settings.adminPassword = "a", Admin("LOGIN a"), Admin("PAUSE"); }
};

// The real loop on a free loopback port, driven round by round with a fake
// clock: ticks happen exactly where a test advances the clock.
struct SteppedServer {
  SteppedServer() {
    settings.name.assign(1, 'S');
    EXPECT_TRUE(loop.Open(0, -1));
  }
  // Rounds without moving the clock, so pending events get handled.
  void Settle(int rounds = 20) {
    for (int i = 0; i < rounds; ++i) loop.RunOnce(2);
  }
  void Tick() {
    clock.Advance(ServerGame::kTickInterval + 1);
    Settle(3);
  }
  bool Join(WireClient& c, const char* from = nullptr, int receiveBuffer = 0) {
    bool ok = c.Connect(settings.port, receiveBuffer, from) && c.Send("JOIN");
    Settle();
    return ok && c.WaitForPrefix("SERVER", 2000).has_value();
  }
  ServerSettings settings;
  ManualClock clock{50000};
  Random random{7};
  ServerLoop loop{settings, clock, random};
};

}  // namespace kb::testing
