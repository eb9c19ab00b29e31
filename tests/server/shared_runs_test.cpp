#include <gtest/gtest.h>

#include <algorithm>

#include "server/socket_transport.h"
#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using V = std::vector<std::string>;

// The same seed and inputs to a game that frames each message per receiver at once and to one that shares
// runs: every receiver gets the same messages from far fewer sends.
TEST(SharedRuns, EveryReceiverGetsTheMessagesOfPerReceiverFraming) {
  testing::GameFixture a, b;
  a.game.ShareRuns(false);
  Random script(2024);
  auto message = [&](ConnectionId c, std::string_view keyword, std::initializer_list<Field> fields = {}) {
    for (testing::GameFixture* t : {&a, &b}) t->Message(c, keyword, fields);
  };
  for (ConnectionId c = 1; c <= 6; ++c) message(c, "JOIN");
  int ticksWithLines = 0, tickSends[2] = {};
  for (int tick = 0; tick < 600; ++tick) {
    for (int i = static_cast<int>(script.Next(40)); i > 0; --i) {
      ConnectionId c = 1 + script.Next(6);
      uint32_t pick = script.Next(10);
      if (pick == 0) message(c, "CHAT", {"hallo"});
      if (pick == 1) message(c, "GO");
      if (pick > 1) message(c, "ANGLE", {script.Next(2) ? "UP" : "DOWN"});
    }
    for (testing::GameFixture* t : {&a, &b}) {
      int before = t->sent.sends;
      t->Step();
      tickSends[t == &b] += t->sent.sends - before;
    }
    for (ConnectionId c = 1; c <= 6; ++c) ASSERT_EQ(a.sent.To(c), b.sent.To(c)) << "tick " << tick;
    V to1 = a.sent.To(1);
    ticksWithLines += std::any_of(to1.begin(), to1.end(), [](auto& m) { return m.starts_with("LINE^"); });
  }
  EXPECT_GT(ticksWithLines, 100);
  EXPECT_LT(tickSends[1] * 2, tickSends[0]);
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
