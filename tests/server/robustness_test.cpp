#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "server/server_loop.h"
#include "tests/server/wire_client.h"

namespace kb {
namespace {

using testing::kWires;
using testing::Wire;
using testing::WireClient;
using testing::WireName;

// The real loop on a free loopback port and its own thread, with two joined
// players that must keep getting whole ticks whatever the others do.
struct LiveServer {
  explicit LiveServer(Wire wire = Wire::kTcp) : a(wire), b(wire) {
    EXPECT_TRUE(loop.Open(0, -1));
    thread = std::thread([this] {
      while (!stop) loop.RunOnce(20);
    });
    // One after the other, so that a is first in the table.
    EXPECT_TRUE(a.Connect(settings.port) && a.Send("JOIN") && a.WaitForPrefix("SERVER"));
    EXPECT_TRUE(b.Connect(settings.port) && b.Send("JOIN") && b.WaitForPrefix("SERVER"));
  }
  ~LiveServer() {
    stop = true;
    if (thread.joinable()) thread.join();
    loop.Shutdown();
  }
  // Checks the players still play, then stops the loop so its table can be read.
  void Stop() {
    for (WireClient* c : {&a, &b}) {
      EXPECT_TRUE(c->WaitForPrefix("MODE^", 5000) && c->WaitFor("PAUSE^0", 5000));
      EXPECT_TRUE(c->Send("PING") && c->WaitFor("PONG", 5000));
    }
    stop = true;
    if (thread.joinable()) thread.join();
    // Connections still waiting in the accept queue are taken and closed now,
    // and a sleeper's answers fill the system's buffers (megabytes on
    // loopback) until its queue passes the bound: within 5 s, however many
    // rounds that takes.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((loop.Game().Clients().Size() > 2 || loop.Transport().Size() > 2) &&
           std::chrono::steady_clock::now() < end)
      loop.RunOnce(20);
    EXPECT_EQ(loop.Game().Clients().Size(), 2u);
  }
  ServerSettings settings;
  SystemClock clock;
  Random random{5};
  ServerLoop loop{settings, clock, random};
  std::atomic<bool> stop{false};
  std::thread thread;
  WireClient a, b;
};

TEST(Robustness, GarbageZeroBytesStrangersAndEndlessMessages) {
  for (Wire wire : kWires) {
    SCOPED_TRACE(WireName(wire));
    LiveServer server(wire);
    WireClient stranger(wire), flood(wire);
    ASSERT_TRUE(stranger.Connect(server.settings.port));
    for (const char* k : {"GO", "ANGLE", "COLOR", "PASS", "LEAVE", "PING", "CHAT", "ADMIN"})
      ASSERT_TRUE(stranger.Send(k, {"SHUTDOWN"}));
    EXPECT_EQ(stranger.Next(300), std::nullopt);  // never joined: ignored
    Random noise(99);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>(noise.Next(255)));
    ASSERT_TRUE(stranger.SendRaw(garbage) && server.a.SendRaw(garbage + "\x04"));
    // After a zero byte the message it was in is dropped, the next one counts.
    ASSERT_TRUE(server.b.SendRaw(std::string("\x04PI\0NG\x04PING\x04", 12)) && server.b.WaitFor("PONG"));
    // 72 KiB of one unfinished message break the connection, in frames of 8 KiB too.
    ASSERT_TRUE(flood.Connect(server.settings.port) && flood.Send("JOIN") && flood.WaitForPrefix("SERVER"));
    for (int i = 0; i < 9 && !flood.Closed(); ++i) flood.SendRaw(std::string(8192, 'A'));
    EXPECT_TRUE(flood.WaitClosed());
  }
}

TEST(Robustness, BurstsAndAPeerThatNeverReads) {
  for (Wire wire : kWires) {
    SCOPED_TRACE(WireName(wire));
    {
      LiveServer server(wire);
      ASSERT_TRUE(server.a.WaitForPrefix("POINT"));  // placed: the heading is no longer reset
      // A burst a lagging client might send is taken whole, and the heading
      // stays within one turn of 0..360 however many turns arrive.
      std::string burst;
      for (int i = 0; i < 400; ++i) burst += BuildMessage(Keyword::kAngle, {"UP"});
      ASSERT_TRUE(server.a.SendRaw(burst + BuildMessage(Keyword::kPing)) && server.a.WaitFor("PONG"));
      server.Stop();
      float heading = server.loop.Game().Clients()[0].heading;
      EXPECT_TRUE(heading >= 0 && heading < 360) << heading;
    }
    // The sleeper asks for 60 KB answers (an unknown command names itself) and
    // never reads them: it is dropped, the players are not.
    LiveServer server(wire);
    WireClient sleeper(wire);
    ASSERT_TRUE(sleeper.Connect(server.settings.port, 4096) && sleeper.Send("JOIN"));
    std::string ask = BuildMessage(Keyword::kAdmin, {std::string(60000, 'x')});
    for (int i = 0; i < 100 && sleeper.SendRaw(ask); ++i) {
    }
    server.Stop();
  }
}

TEST(Robustness, FiveHundredConnectionsComeAndGo) {
  LiveServer server;
  for (int i = 0; i < 500; ++i) {
    WireClient c;
    ASSERT_TRUE(c.Connect(server.settings.port)) << i;
    if (i % 2) c.Send("JOIN");
  }
  server.Stop();  // every one of them is gone again, records and connections
  EXPECT_EQ(server.loop.Transport().Size(), 2u);
}

}  // namespace
}  // namespace kb
