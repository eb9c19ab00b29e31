#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "server/server_loop.h"
#include "tests/server/wire_client.h"

namespace kb {
namespace {

using testing::WireClient;

// The real loop on a free loopback port and its own thread, with two joined
// players that must keep getting whole ticks whatever the others do.
struct LiveServer {
  LiveServer() {
    EXPECT_TRUE(loop.Open(0, -1));
    thread = std::thread([this] {
      while (!stop) loop.RunOnce(20);
    });
    // One after the other, so that a is first in the table.
    EXPECT_TRUE(a.Connect(settings.port) && a.Send("JOIN") && a.WaitForPrefix("SERVER"));
    EXPECT_TRUE(b.Connect(settings.port) && b.Send("JOIN") && b.WaitForPrefix("SERVER"));
  }
  ~LiveServer() { Stop(), loop.Shutdown(); }
  // Stops the loop thread; the table can then be read from the test.
  void Stop() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
  void ExpectPlayersAlive() {
    for (WireClient* c : {&a, &b}) {
      EXPECT_TRUE(c->WaitForPrefix("MODE ", 5000) && c->WaitFor("PAUSE 0", 5000));
      EXPECT_TRUE(c->Send("PING") && c->WaitFor("PONG", 5000));
    }
  }
  ServerSettings settings;
  SystemClock clock;
  Random random{5};
  ServerLoop loop{settings, clock, random};
  std::atomic<bool> stop{false};
  std::thread thread;
  WireClient a, b;
};

TEST(Robustness, GarbageZeroBytesAndStrangersChangeNothingForOthers) {
  LiveServer server;
  WireClient stranger;
  ASSERT_TRUE(stranger.Connect(server.settings.port));
  for (const char* k : {"GO", "ANGLE", "COLOR", "PASS", "LEAVE", "PING", "CHAT", "ADMIN"})
    ASSERT_TRUE(stranger.Send(k, {"SHUTDOWN"}));
  EXPECT_EQ(stranger.Next(300), std::nullopt);  // never joined: ignored
  Random noise(99);
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>(noise.Next(255)));
  ASSERT_TRUE(stranger.SendRaw(garbage));
  ASSERT_TRUE(server.a.SendRaw(garbage + "\x04"));
  // After a zero byte the message it was in is dropped, the next one counts.
  ASSERT_TRUE(server.b.SendRaw(std::string("\x04PI\0NG\x04PING\x04", 12)));
  ASSERT_TRUE(server.b.WaitFor("PONG"));
  server.ExpectPlayersAlive();
  ASSERT_TRUE(server.a.Send("CHAT", {"still-here"}));  // the garbage sender still plays
  EXPECT_TRUE(server.b.WaitForPrefix("CHAT still-here"));
}

TEST(Robustness, EndlessMessageIsCutOffAtTheBound) {
  LiveServer server;
  WireClient flood;
  ASSERT_TRUE(flood.Connect(server.settings.port) && flood.Send("JOIN") && flood.WaitForPrefix("SERVER"));
  for (int i = 0; i < 9 && !flood.Closed(); ++i) flood.SendRaw(std::string(8192, 'A'));  // 72 KiB unfinished
  EXPECT_TRUE(flood.WaitClosed());
  server.ExpectPlayersAlive();
  server.Stop();
  EXPECT_EQ(server.loop.Game().Clients().Size(), 2u);
}

TEST(Robustness, TenThousandAnglesInOneBurstAreAllHandled) {
  LiveServer server;
  ASSERT_TRUE(server.a.WaitForPrefix("POINT"));  // placed: the heading is no longer reset
  std::string burst;
  for (int i = 0; i < 10000; ++i) burst += BuildMessage(Keyword::kAngle, {"UP"});
  ASSERT_TRUE(server.a.SendRaw(burst + BuildMessage(Keyword::kPing)));
  EXPECT_TRUE(server.a.WaitFor("PONG"));
  server.ExpectPlayersAlive();
  server.Stop();
  ASSERT_EQ(server.loop.Game().State(), ServerGame::kCountdown);
  // 10000 turns of 3.55 degrees on top of a start heading of 0.25..359.25.
  EXPECT_NEAR(server.loop.Game().Clients()[0].heading, 35500 + 180, 200);
}

TEST(Robustness, PeerThatNeverReadsIsDroppedAndTheGameGoesOn) {
  LiveServer server;
  WireClient sleeper;
  ASSERT_TRUE(sleeper.Connect(server.settings.port, 4096) && sleeper.Send("JOIN"));
  // Chat lines go to everyone else; b reads each, the sleeper none.
  for (int i = 0; i < 400; ++i) {
    ASSERT_TRUE(server.a.Send("CHAT", {std::string(60000, 'x')}));
    ASSERT_TRUE(server.b.WaitForPrefix("CHAT x"));
  }
  server.ExpectPlayersAlive();
  server.Stop();
  EXPECT_EQ(server.loop.Game().Clients().Size(), 2u);
}

TEST(Robustness, FiveHundredConnectionsComeAndGo) {
  LiveServer server;
  for (int i = 0; i < 500; ++i) {
    WireClient c;
    ASSERT_TRUE(c.Connect(server.settings.port)) << i;
    if (i % 2) c.Send("JOIN");
  }
  server.ExpectPlayersAlive();
  server.Stop();
  // Every one of them is gone again, records and connections.
  EXPECT_EQ(server.loop.Game().Clients().Size(), 2u);
  EXPECT_EQ(server.loop.Transport().Size(), 2u);
}

}  // namespace
}  // namespace kb
