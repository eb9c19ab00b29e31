#include "server/server_loop.h"

#include <gtest/gtest.h>

#include "tests/server/wire_client.h"

namespace kb {
namespace {

using testing::WireClient;

TEST(ServerLoop, SilentMembersAreDroppedAndSilentStrangersDisconnected) {
  ServerSettings settings;
  ManualClock clock{50000};
  Random random{3};
  ServerLoop loop{settings, clock, random};
  ASSERT_TRUE(loop.Open(0, -1));
  // Rounds without moving the clock, so pending events get handled.
  auto settle = [&] {
    for (int i = 0; i < 20; ++i) loop.RunOnce(5);
  };
  WireClient member, stranger, talker, trickler;
  ASSERT_TRUE(member.Connect(settings.port) && stranger.Connect(settings.port) &&
              talker.Connect(settings.port) && trickler.Connect(settings.port));
  ASSERT_TRUE(member.Send("JOIN") && talker.Send("JOIN") && trickler.Send("JOIN"));
  settle();
  // A stranger that does not join within 10 s goes, though it keeps sending
  // bytes; a member's bytes that never complete a message are silence too.
  for (int second = 1; second <= 29; ++second) {
    clock.Advance(1000);
    stranger.SendNow("P");
    trickler.SendNow("P");
    settle();
    if (second == 9) EXPECT_FALSE(stranger.WaitClosed(0));
  }
  EXPECT_TRUE(stranger.WaitClosed(2000));
  clock.Advance(990);  // 29990 ms
  ASSERT_TRUE(talker.Send("PING"));
  settle();
  clock.Advance(51);  // the next two ticks (one each): 30041 ms of silence for member and trickler
  settle();
  clock.Advance(ServerGame::kTickInterval + 1);
  settle();
  EXPECT_EQ(loop.Game().Clients().Size(), 1u);
  EXPECT_TRUE(member.WaitFor("MODE^22", 2000));
  EXPECT_TRUE(trickler.WaitFor("MODE^22", 2000));
  // The dropped members' connections go at the next tick, after their MODE 22 left.
  clock.Advance(ServerGame::kTickInterval + 1);
  settle();
  EXPECT_TRUE(member.WaitClosed(2000) && trickler.WaitClosed(2000));
  EXPECT_EQ(loop.Transport().Size(), 1u);
  // The port rule: 666 taken (or not ours to take), so a random one.
  TcpListener busy;
  busy.Open(kDefaultGamePort);
  ServerLoop second(settings, clock, random);
  ASSERT_TRUE(second.Open(-1, -1));
  EXPECT_TRUE(settings.port != kDefaultGamePort && settings.port >= 300 && settings.port <= 65535);
  // A fixed port that is taken: the operator learns which and the system's reason.
  ServerLoop third(settings, clock, random);
  ASSERT_FALSE(third.Open(settings.port, -1));
  std::string prefix = "port " + std::to_string(settings.port) + ": ";
  EXPECT_TRUE(third.OpenError().starts_with(prefix) && third.OpenError().size() > prefix.size() + 3)
      << third.OpenError();
}

}  // namespace
}  // namespace kb
