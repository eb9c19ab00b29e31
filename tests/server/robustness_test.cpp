#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "server/server_loop.h"
#include "tests/server/wire_client.h"

namespace kb {
namespace {

using testing::WireClient;

// The real loop on a free loopback port, on its own thread.
class LiveServer {
 public:
  LiveServer() {
    settings.name = "Live";
    opened = loop.Open(0, -1);
    if (opened) {
      thread = std::thread([this] {
        while (!stop) loop.RunOnce(20);
      });
    }
  }
  ~LiveServer() {
    Stop();
    loop.Shutdown();
  }
  // Stops the loop thread; the table can then be read from the test.
  void Stop() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
  int Port() const { return settings.port; }

  ServerSettings settings;
  SystemClock clock;
  Random random{5};
  ServerLoop loop{settings, clock, random};
  std::atomic<bool> stop{false};
  std::thread thread;
  bool opened = false;
};

// Two joined clients in a game; checks they keep getting their ticks.
struct TwoPlayers {
  explicit TwoPlayers(int port) {
    // One after the other, so that a is first in the table.
    EXPECT_TRUE(a.Connect(port) && a.Send("JOIN") && a.WaitForPrefix("SERVER"));
    EXPECT_TRUE(b.Connect(port) && b.Send("JOIN") && b.WaitForPrefix("SERVER"));
  }
  // Both still get whole, well-formed ticks and answer pings.
  void ExpectAlive() {
    for (WireClient* c : {&a, &b}) {
      EXPECT_TRUE(c->WaitForPrefix("MODE ", 5000));
      EXPECT_TRUE(c->WaitFor("PAUSE 0", 5000));
      ASSERT_TRUE(c->Send("PING"));
      EXPECT_TRUE(c->WaitFor("PONG", 5000));
    }
  }
  WireClient a, b;
};

TEST(Robustness, GarbageZeroBytesAndStrangersChangeNothingForOthers) {
  LiveServer server;
  ASSERT_TRUE(server.opened);
  TwoPlayers players(server.Port());
  players.ExpectAlive();

  WireClient stranger;
  ASSERT_TRUE(stranger.Connect(server.Port()));
  // Messages from a connection that never joined are ignored.
  for (const char* k : {"GO", "ANGLE", "COLOR", "PASS", "LEAVE", "PING"})
    ASSERT_TRUE(stranger.Send(k, {"UP"}));
  ASSERT_TRUE(stranger.Send("CHAT", {"spam"}));
  ASSERT_TRUE(stranger.Send("ADMIN", {"SHUTDOWN"}));
  EXPECT_EQ(stranger.Next(300), std::nullopt);

  // Random bytes, framing bytes and zero bytes, from a member and a stranger.
  Random noise(99);
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>(noise.Next(255)));
  ASSERT_TRUE(stranger.SendRaw(garbage));
  // The bytes after the last 0x04 would start the member's next message.
  ASSERT_TRUE(players.a.SendRaw(garbage + "\x04"));
  // After a zero byte the message it was in is dropped, the next one counts.
  ASSERT_TRUE(players.b.SendRaw(std::string("\x04PI\0NG\x04PING\x04", 12)));
  ASSERT_TRUE(players.b.WaitFor("PONG"));
  ASSERT_TRUE(players.b.Send("CHAT", {"marker"}));
  ASSERT_TRUE(players.a.WaitForPrefix("CHAT marker"));
  players.ExpectAlive();
  // The member that sent garbage is still in the game.
  ASSERT_TRUE(players.a.Send("CHAT", {"still-here"}));
  EXPECT_TRUE(players.b.WaitForPrefix("CHAT still-here"));
}

TEST(Robustness, EndlessMessageIsCutOffAtTheBound) {
  LiveServer server;
  ASSERT_TRUE(server.opened);
  TwoPlayers players(server.Port());
  WireClient flood;
  ASSERT_TRUE(flood.Connect(server.Port()));
  ASSERT_TRUE(flood.Send("JOIN"));
  ASSERT_TRUE(flood.WaitForPrefix("SERVER"));
  std::string block(8192, 'A');
  // 64 KiB of one unfinished message are allowed, a little more is not.
  for (int i = 0; i < 9 && !flood.Closed(); ++i) flood.SendRaw(block);
  EXPECT_TRUE(flood.WaitClosed());
  players.ExpectAlive();
  server.Stop();
  EXPECT_EQ(server.loop.Game().Clients().Size(), 2u);
}

TEST(Robustness, TenThousandAnglesInOneBurstAreAllHandled) {
  LiveServer server;
  ASSERT_TRUE(server.opened);
  TwoPlayers players(server.Port());
  // Placed: the countdown neither resets nor normalises the heading now.
  ASSERT_TRUE(players.a.WaitForPrefix("POINT"));
  std::string burst;
  for (int i = 0; i < 10000; ++i) burst += BuildMessage(Keyword::kAngle, {"UP"});
  burst += BuildMessage(Keyword::kPing);
  ASSERT_TRUE(players.a.SendRaw(burst));
  // The PING behind them is answered: every one before it was read.
  EXPECT_TRUE(players.a.WaitFor("PONG"));
  players.ExpectAlive();
  server.Stop();
  // 10000 turns of 3.55 degrees on top of a start heading of 0.25..359.25.
  ASSERT_EQ(server.loop.Game().State(), ServerGame::kCountdown);
  EXPECT_NEAR(server.loop.Game().Clients()[0].heading, 35500 + 180, 200);
}

TEST(Robustness, PeerThatNeverReadsIsDroppedAndTheGameGoesOn) {
  LiveServer server;
  ASSERT_TRUE(server.opened);
  WireClient talker, sleeper;
  ASSERT_TRUE(talker.Connect(server.Port()));
  ASSERT_TRUE(talker.Send("JOIN"));
  ASSERT_TRUE(sleeper.Connect(server.Port(), 4096));
  ASSERT_TRUE(sleeper.Send("JOIN"));
  ASSERT_TRUE(talker.WaitFor("MODE 7"));
  // Chat lines go to the sleeper only; it never reads them.
  std::string line(60000, 'x');
  bool dropped = false;
  for (int i = 0; i < 400 && !dropped; ++i) {
    ASSERT_TRUE(talker.Send("CHAT", {line}));
    // Dropping the sleeper leaves one record: the talker waits again.
    while (auto m = talker.Next(0)) dropped |= *m == "MODE 10";
  }
  if (!dropped) dropped = talker.WaitFor("MODE 10", 5000).has_value();
  EXPECT_TRUE(dropped);
  ASSERT_TRUE(talker.Send("PING"));
  EXPECT_TRUE(talker.WaitFor("PONG"));
}

TEST(Robustness, FiveHundredConnectionsComeAndGo) {
  LiveServer server;
  ASSERT_TRUE(server.opened);
  TwoPlayers players(server.Port());
  for (int i = 0; i < 500; ++i) {
    WireClient c;
    ASSERT_TRUE(c.Connect(server.Port())) << i;
    if (i % 2) c.Send("JOIN");
  }
  players.ExpectAlive();
  // Every one of them is gone again, records and connections.
  WireClient late;
  ASSERT_TRUE(late.Connect(server.Port()));
  ASSERT_TRUE(late.Send("JOIN"));
  ASSERT_TRUE(late.WaitForPrefix("SERVER"));
  ASSERT_TRUE(late.Send("PING"));
  ASSERT_TRUE(late.WaitFor("PONG"));
  server.Stop();
  EXPECT_EQ(server.loop.Game().Clients().Size(), 3u);
  EXPECT_EQ(server.loop.Transport().Size(), 3u);
}

TEST(Robustness, ClosedPeersLeaveTheTableAtOnce) {
  LiveServer server;
  ASSERT_TRUE(server.opened);
  TwoPlayers players(server.Port());
  players.ExpectAlive();
  {
    WireClient gone;
    ASSERT_TRUE(gone.Connect(server.Port()));
    ASSERT_TRUE(gone.Send("JOIN"));
    ASSERT_TRUE(gone.WaitForPrefix("SERVER"));
  }
  // Closing without "LEAVE" removes the record as well.
  ASSERT_TRUE(players.a.Send("PING"));
  ASSERT_TRUE(players.a.WaitFor("PONG"));
  players.ExpectAlive();
  server.Stop();
  EXPECT_EQ(server.loop.Game().StatusLine(),
            "Name: Live Port: " + std::to_string(server.Port()) + " Spieler: 2");
  EXPECT_EQ(server.loop.Transport().Size(), 2u);
}

}  // namespace
}  // namespace kb
