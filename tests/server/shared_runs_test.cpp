#include <gtest/gtest.h>

#include <map>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

// The bytes each connection got, as one stream per connection; every send
// must hold whole messages.
class ByteTransport final : public Transport {
 public:
  void Send(ConnectionId connection, std::string_view message) override {
    if (message.empty() || message.back() != kMessageTerminator) ++partialSends;
    bytes[connection].append(message);
    ++sends;
  }
  std::string Address(ConnectionId) const override { return "127.0.0.1"; }
  std::map<ConnectionId, std::string> bytes;
  int sends = 0;
  int partialSends = 0;
};

// One game framing each message per receiver at once, one sharing runs;
// both get the same seed and the same inputs.
struct Twin {
  explicit Twin(bool share) {
    settings.name = "Twin";
    settings.adminPassword = "chef";
    game.ShareRuns(share);
  }
  ServerSettings settings;
  ManualClock clock{100000};
  Random random{99};
  ByteTransport sent;
  int tickSends = 0;
  ServerGame game{settings, clock, random, sent};
};

TEST(SharedRuns, EveryReceiverGetsTheBytesOfPerReceiverFraming) {
  Twin a(false), b(true);
  Random script(2024);
  auto both = [&](auto&& step) { step(a), step(b); };
  auto message = [&](ConnectionId c, Keyword k, std::initializer_list<Field> fields) {
    std::string m = BuildMessage(k, fields);
    m.pop_back();
    both([&](Twin& t) { t.game.HandleMessage(c, m); });
  };
  ConnectionId next = 1;
  std::vector<ConnectionId> open;
  auto join = [&] {
    open.push_back(next);
    message(next++, Keyword::kJoin, {});
  };
  for (int i = 0; i < 6; ++i) join();
  message(1, Keyword::kAdmin, {"LOGIN chef"});
  int ticksWithLines = 0, ticksWithScores = 0, statesSeen = 0;
  std::map<int, bool> states;
  for (int tick = 0; tick < 1500; ++tick) {
    // Inputs between two ticks, the same for both games.
    int inputs = static_cast<int>(script.Next(40));
    for (int i = 0; i < inputs; ++i) {
      ConnectionId c = open[script.Next(static_cast<uint32_t>(open.size()))];
      switch (script.Next(20)) {
        case 0:
          message(c, Keyword::kColor, {});
          break;
        case 1:
          message(c, Keyword::kChat, {"hallo"});
          break;
        case 2:
        case 3:
        case 4:
          message(c, Keyword::kGo, {});
          break;
        case 5:
          if (open.size() > 3 && script.Next(8) == 0) {
            message(c, Keyword::kLeave, {});
            std::erase(open, c);
          }
          break;
        case 6:
          if (script.Next(20) == 0) join();  // joins mid-game: a spectator
          break;
        case 7:
          message(c, Keyword::kPing, {});
          break;
        case 8:
          message(c, Keyword::kPass, {script.Next(2) ? "geheim" : "falsch"});
          break;
        default:
          message(c, Keyword::kAngle, {script.Next(2) ? "UP" : "DOWN"});
          break;
      }
    }
    // Protection on for a while: newcomers are strangers until they pass.
    if (tick == 120) both([](Twin& t) { t.settings.passwordBox = true, t.settings.password = "geheim"; });
    if (tick == 200) both([](Twin& t) { t.settings.passwordBox = false; });
    if (tick == 260 || tick == 275) message(1, Keyword::kAdmin, {"PAUSE"});
    // A game won now and then: its end and the new game with spectators.
    if (tick % 250 == 0) {
      both([](Twin& t) {
        for (ClientRecord& r : t.game.Clients()) r.points = r.playing ? t.game.TargetScore() : 0;
      });
    }
    both([](Twin& t) {
      t.sent.bytes.clear();
      t.clock.Advance(ServerGame::kTickInterval + 1);
      int before = t.sent.sends;
      t.game.RunTick();
      t.tickSends += t.sent.sends - before;
    });
    ASSERT_EQ(a.sent.bytes, b.sent.bytes) << "tick " << tick;
    for (const auto& [c, bytes] : a.sent.bytes) {
      ticksWithLines += bytes.find("LINE\x02") != std::string::npos && c == open.front();
      ticksWithScores += bytes.find("SCORES\x02") != std::string::npos && c == open.front();
    }
    states[a.game.State()] = true;
  }
  statesSeen = static_cast<int>(states.size());
  // The script reached what matters: running rounds, collisions, every state.
  EXPECT_GT(ticksWithLines, 100);
  EXPECT_GT(ticksWithScores, 10);
  EXPECT_EQ(statesSeen, 5);
  EXPECT_EQ(a.sent.partialSends + b.sent.partialSends, 0);
  // Sharing is what makes a tick cheap: far fewer sends for the same bytes.
  EXPECT_LT(b.tickSends * 2, a.tickSends);
}

}  // namespace
}  // namespace kb
