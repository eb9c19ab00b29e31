#include <gtest/gtest.h>

#include <map>

#include "server/socket_transport.h"
#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

// The bytes each connection got, as one stream per connection; every send must hold whole messages.
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

// The same seed and inputs to a game that frames each message per receiver at once and to one that shares
// runs: every receiver gets the same bytes, in whole messages, from far fewer sends.
TEST(SharedRuns, EveryReceiverGetsTheBytesOfPerReceiverFraming) {
  struct Twin {
    ServerSettings settings;
    ManualClock clock{100000};
    Random random{99};
    ByteTransport sent;
    ServerGame game{settings, clock, random, sent};
    int tickSends = 0;
  } a, b;
  a.game.ShareRuns(false);
  Random script(2024);
  auto message = [&](ConnectionId c, Keyword k, std::initializer_list<Field> fields = {}) {
    std::string m = BuildMessage(k, fields);
    m.pop_back();
    for (Twin* t : {&a, &b}) t->game.HandleMessage(c, m);
  };
  for (ConnectionId c = 1; c <= 6; ++c) message(c, Keyword::kJoin);
  int ticksWithLines = 0;
  for (int tick = 0; tick < 600; ++tick) {
    for (int i = static_cast<int>(script.Next(40)); i > 0; --i) {
      ConnectionId c = 1 + script.Next(6);
      uint32_t pick = script.Next(10);
      if (pick == 0) message(c, Keyword::kChat, {"hallo"});
      if (pick == 1) message(c, Keyword::kGo);
      if (pick > 1) message(c, Keyword::kAngle, {script.Next(2) ? "UP" : "DOWN"});
    }
    for (Twin* t : {&a, &b}) {
      t->sent.bytes.clear();
      t->clock.Advance(ServerGame::kTickInterval + 1);
      int before = t->sent.sends;
      t->game.RunTick();
      t->tickSends += t->sent.sends - before;
    }
    ASSERT_EQ(a.sent.bytes, b.sent.bytes) << "tick " << tick;
    ticksWithLines += a.sent.bytes[1].find("LINE\x02") != std::string::npos;
  }
  EXPECT_GT(ticksWithLines, 100);
  EXPECT_EQ(a.sent.partialSends + b.sent.partialSends, 0);
  EXPECT_LT(b.tickSends * 2, a.tickSends);
}

std::string Lines(int count, int seed) {
  std::string out;
  for (int i = 0; i < count; ++i) out += BuildMessage(Keyword::kLine, {seed, i, seed + i, i * 7, 65280});
  return out;
}

// Three real peers of the loop's transport; one reads slowly, so its part of a large run waits in its queue.
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
