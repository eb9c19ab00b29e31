#include "server/server_loop.h"

#include <gtest/gtest.h>

#include "tests/server/wire_client.h"

namespace kb {
namespace {

using testing::WireClient;

// The loop on this thread with a fake clock: rounds are run by the test.
struct ManualLoop {
  ManualLoop() { EXPECT_TRUE(loop.Open(0, -1)); }
  // A few rounds without moving the clock, so pending events get handled.
  void Settle() {
    for (int i = 0; i < 20; ++i) loop.RunOnce(5);
  }
  ServerSettings settings;
  ManualClock clock{50000};
  Random random{3};
  ServerLoop loop{settings, clock, random};
};

TEST(ServerLoop, SilentMembersAreDroppedAndSilentStrangersDisconnected) {
  ManualLoop m;
  WireClient member, stranger, talker;
  ASSERT_TRUE(member.Connect(m.settings.port) && stranger.Connect(m.settings.port));
  ASSERT_TRUE(talker.Connect(m.settings.port) && member.Send("JOIN") && talker.Send("JOIN"));
  m.Settle();
  m.clock.Advance(29990);
  ASSERT_TRUE(talker.Send("PING"));
  m.Settle();
  EXPECT_EQ(m.loop.Transport().Size(), 3u);
  m.clock.Advance(51);  // the next tick: 30041 ms of silence for member and stranger
  m.Settle();
  EXPECT_EQ(m.loop.Game().Clients().Size(), 1u);
  EXPECT_TRUE(member.WaitFor("MODE 22", 2000));
  EXPECT_TRUE(stranger.WaitClosed(2000));
  // The dropped member's connection goes at the next tick, after its MODE 22 left.
  m.clock.Advance(ServerGame::kTickInterval + 1);
  m.Settle();
  EXPECT_TRUE(member.WaitClosed(2000));
  EXPECT_EQ(m.loop.Transport().Size(), 1u);
  ASSERT_TRUE(talker.Send("PING"));
  m.Settle();
  EXPECT_TRUE(talker.WaitFor("PONG", 2000));
}

TEST(ServerLoop, ManyMessagesInOneRoundArriveWholeAndInOrderThenShutdownCloses) {
  ManualLoop m;
  WireClient a, b;
  ASSERT_TRUE(a.Connect(m.settings.port) && a.Send("JOIN"));
  m.Settle();
  ASSERT_TRUE(b.Connect(m.settings.port) && b.Send("JOIN"));
  m.Settle();
  std::string many;
  for (int i = 0; i < 300; ++i) many += BuildMessage(Keyword::kChat, {"zeile" + std::to_string(i)});
  ASSERT_TRUE(a.SendRaw(many));
  m.Settle();
  for (int i = 0; i < 300; ++i) {
    auto got = b.WaitForPrefix("CHAT ", 2000);
    ASSERT_TRUE(got);
    ASSERT_EQ(got->substr(0, got->rfind(' ')), "CHAT zeile" + std::to_string(i));
  }
  m.loop.Shutdown();
  for (WireClient* c : {&a, &b}) EXPECT_TRUE(c->WaitFor("MODE 21", 2000) && c->WaitClosed(2000));
  EXPECT_FALSE(WireClient().Connect(m.settings.port));
}

TEST(ServerLoop, TakesAnotherPortWhenTheDefaultIsBusy) {
  TcpListener busy;
  busy.Open(kDefaultGamePort);  // or someone else holds it already
  ManualLoop m;
  ServerLoop loop(m.settings, m.clock, m.random);
  ASSERT_TRUE(loop.Open(-1, -1));
  EXPECT_NE(m.settings.port, kDefaultGamePort);
  EXPECT_TRUE(m.settings.port >= 300 && m.settings.port <= 65535);
}

}  // namespace
}  // namespace kb
