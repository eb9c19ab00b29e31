#include <gtest/gtest.h>

#include <map>

#include "server/socket_transport.h"
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

// The same seed and inputs to a game that frames each message per receiver
// at once and to one that shares runs: every receiver gets the same bytes,
// in whole messages, from far fewer sends.
TEST(SharedRuns, EveryReceiverGetsTheBytesOfPerReceiverFraming) {
  Twin a(false), b(true);
  Random script(2024);
  auto both = [&](auto&& step) { step(a), step(b); };
  auto message = [&](ConnectionId c, Keyword k, std::initializer_list<Field> fields = {}) {
    std::string m = BuildMessage(k, fields);
    m.pop_back();
    both([&](Twin& t) { t.game.HandleMessage(c, m); });
  };
  ConnectionId next = 1;
  std::vector<ConnectionId> open;
  auto join = [&] { open.push_back(next), message(next++, Keyword::kJoin); };
  for (int i = 0; i < 6; ++i) join();
  message(1, Keyword::kAdmin, {"LOGIN chef"});
  int ticksWithLines = 0, ticksWithScores = 0;
  std::map<int, bool> states;
  for (int tick = 0; tick < 1500; ++tick) {
    for (int i = static_cast<int>(script.Next(40)); i > 0; --i) {
      ConnectionId c = open[script.Next(static_cast<uint32_t>(open.size()))];
      uint32_t pick = script.Next(20);
      if (pick == 0) message(c, Keyword::kColor);
      if (pick == 1) message(c, Keyword::kChat, {"hallo"});
      if (pick >= 2 && pick <= 4) message(c, Keyword::kGo);
      if (pick == 5 && open.size() > 3 && script.Next(8) == 0) message(c, Keyword::kLeave), std::erase(open, c);
      if (pick == 6 && script.Next(20) == 0) join();  // mid-game: a spectator
      if (pick == 7) message(c, Keyword::kPing);
      if (pick == 8) message(c, Keyword::kPass, {script.Next(2) ? "geheim" : "falsch"});
      if (pick > 8) message(c, Keyword::kAngle, {script.Next(2) ? "UP" : "DOWN"});
    }
    // Protection on for a while (newcomers are strangers), a pause, and now
    // and then a game won: its end and the new game with spectators.
    if (tick == 120) both([](Twin& t) { t.settings.passwordBox = true, t.settings.password = "geheim"; });
    if (tick == 200) both([](Twin& t) { t.settings.passwordBox = false; });
    if (tick == 260 || tick == 275) message(1, Keyword::kAdmin, {"PAUSE"});
    if (tick % 250 == 0)
      both([](Twin& t) {
        for (ClientRecord& r : t.game.Clients()) r.points = r.playing ? t.game.TargetScore() : 0;
      });
    both([](Twin& t) {
      t.sent.bytes.clear();
      t.clock.Advance(ServerGame::kTickInterval + 1);
      int before = t.sent.sends;
      t.game.RunTick();
      t.tickSends += t.sent.sends - before;
    });
    ASSERT_EQ(a.sent.bytes, b.sent.bytes) << "tick " << tick;
    const std::string& first = a.sent.bytes[open.front()];
    ticksWithLines += first.find("LINE\x02") != std::string::npos;
    ticksWithScores += first.find("SCORES\x02") != std::string::npos;
    states[a.game.State()] = true;
  }
  // The script reached what matters: running rounds, collisions, every state.
  EXPECT_GT(ticksWithLines, 100);
  EXPECT_GT(ticksWithScores, 10);
  EXPECT_EQ(states.size(), 5u);
  EXPECT_EQ(a.sent.partialSends + b.sent.partialSends, 0);
  EXPECT_LT(b.tickSends * 2, a.tickSends);
}

std::string Lines(int count, int seed) {
  std::string out;
  for (int i = 0; i < count; ++i) out += BuildMessage(Keyword::kLine, {seed, i, seed + i, i * 7, 65280});
  return out;
}

// Three real peers of the loop's transport; one reads slowly, so its part
// of a large run waits in its queue.
TEST(SocketTransport, SharedRunsAndOwnMessagesReachEachPeerInOrderOverManyRounds) {
  for (testing::Wire wire : testing::kWires) {
    SCOPED_TRACE(testing::WireName(wire));
    testing::SteppedServer s;
    std::vector<testing::WireClient> c;
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(c.emplace_back(wire).Connect(s.settings.port));
      s.Settle();
    }
    std::vector<ConnectionId> ids;
    for (auto& [id, peer] : s.loop.Transport().Peers()) ids.push_back(id);
    ASSERT_EQ(ids.size(), 3u);
    SocketTransport& t = s.loop.Transport();
    testing::SetSocketBuffer(t.Find(ids[2])->connection->Fd(), true, 4096);
    std::string expected[3];
    for (int round = 0; round < 6; ++round) {
      // Rounds alternate a large tick run with small ones: the kept runs are
      // reused and must not mix the rounds' bytes.
      std::string big = Lines(round % 2 ? 30 : 2000, round), small1 = Lines(3, 100 + round);
      std::string own = BuildMessage(Keyword::kPong), mode = BuildMessage(Keyword::kMode, {8});
      ConnectionId all[] = {ids[0], ids[1], ids[2]}, some[] = {ids[0], ids[2]};
      t.Send(ids[0], own);
      t.SendToEach(all, big);
      t.Send(ids[1], mode);
      t.SendToEach(some, small1);
      t.SendToEach(std::span<const ConnectionId>(all, 1), mode);
      expected[0] += own + big + small1 + mode;
      expected[1] += big + mode;
      expected[2] += big + small1;
      // Own and shared parts taking turns: more frames than one system call takes.
      for (int k = 0; k < (round % 2 ? 0 : 30); ++k) {
        t.Send(ids[1], own);
        t.SendToEach(some, small1);
        expected[0] += small1;
        expected[1] += own;
        expected[2] += small1;
      }
      EXPECT_TRUE(t.Flush().empty());
      // The flush must not leave the transport pointing into this round's runs.
      big.assign(big.size(), 'X');
    }
    for (size_t i = 0; i < 3; ++i) {
      std::vector<std::string> want, got;
      for (std::string_view m : SplitMessages(expected[i])) want.push_back(testing::Readable(std::string(m)));
      for (int round = 0; round < 20000 && got.size() < want.size(); ++round) {
        s.loop.RunOnce(1);
        c[i].ReadSome(kReceiveBufferSize);
        while (auto m = c[i].Next(0)) got.push_back(*m);
      }
      EXPECT_TRUE(got == want) << "peer " << i << ": " << got.size() << " of " << want.size();
    }
  }
}

}  // namespace
}  // namespace kb
