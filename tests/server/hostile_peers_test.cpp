#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "server/server_loop.h"
#include "tests/server/wire_client.h"

namespace kb {
namespace {

using testing::WireClient;
using V = std::vector<std::string>;

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

TEST(HostilePeers, JoinsReadInOneRoundEnterInAcceptOrder) {
  SteppedServer s;
  WireClient c[6];
  for (WireClient& client : c) ASSERT_TRUE(client.Connect(s.settings.port));
  for (int i = 0; i < 50 && s.loop.Transport().Size() < 6; ++i) s.loop.RunOnce(5);
  for (int i = 5; i >= 0; --i) ASSERT_TRUE(c[i].Send("JOIN"));  // the last accepted speaks first
  s.loop.RunOnce(50);
  ASSERT_EQ(s.loop.Game().Clients().Size(), 6u);
  std::vector<ConnectionId> order, accepted;
  for (const ClientRecord& r : s.loop.Game().Clients()) order.push_back(r.connection);
  for (auto& [id, peer] : s.loop.Transport().Peers()) accepted.push_back(id);
  EXPECT_EQ(order, accepted);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST(HostilePeers, ConnectionsOverACapAreClosedAtOnce) {
  SteppedServer s;
  s.settings.maxClients = 3;
  s.settings.maxConnectionsPerAddress = 2;
  struct Step {
    const char* from;
    bool kept;
  };
  const Step steps[] = {{"127.0.0.1", true},
                        {"127.0.0.1", true},
                        {"127.0.0.1", false},  // third from one address
                        {"127.0.0.2", true},
                        {"127.0.0.3", false}};  // fourth in all
  WireClient c[5];
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(c[i].Connect(s.settings.port, 0, steps[i].from) && c[i].Send("JOIN")) << i;
    s.Settle();
    if (steps[i].kept) {
      EXPECT_TRUE(c[i].WaitForPrefix("SERVER", 2000)) << i;
    } else {
      EXPECT_TRUE(c[i].WaitClosed(2000)) << i;
    }
  }
  EXPECT_EQ(s.loop.Transport().Size(), 3u);
  // A place that frees up can be taken again from that address.
  c[0] = WireClient();
  s.Settle();
  WireClient again;
  EXPECT_TRUE(s.Join(again, "127.0.0.1"));
}

TEST(HostilePeers, AnAddressThatKeepsReconnectingIsTurnedAway) {
  SteppedServer s;
  s.settings.maxConnectionsPerAddress = 1000;
  int kept = 0;
  for (int i = 0; i < ConnectGuard::kBurst + 5; ++i) {
    WireClient c;
    ASSERT_TRUE(c.Connect(s.settings.port, 0, "127.0.0.4") && c.Send("JOIN"));
    s.Settle();
    kept += c.WaitForPrefix("SERVER", 2000).has_value();
  }
  EXPECT_EQ(kept, ConnectGuard::kBurst);
  // Other addresses are not affected, and the address is welcome again later.
  WireClient other, later;
  EXPECT_TRUE(s.Join(other, "127.0.0.5"));
  s.clock.Advance(ConnectGuard::kInterval * ConnectGuard::kBurst);
  EXPECT_TRUE(s.Join(later, "127.0.0.4"));
}

// Whatever arrives in the round of "SHUTDOWN" (a due tick, a message behind
// it in the same chunk, another client's chat), "MODE" 21 is the last thing
// every client hears before its connection closes.
TEST(HostilePeers, ShutdownIsTheLastWordAtEveryTickBoundary) {
  for (int trial = 0; trial < 8; ++trial) {
    bool tickDue = trial & 1, trailing = trial & 2, otherTalks = trial & 4;
    SteppedServer s;
    s.settings.adminPassword = "chef";
    WireClient admin, other;
    ASSERT_TRUE(s.Join(admin) && s.Join(other));
    ASSERT_TRUE(admin.Send("ADMIN", {"LOGIN chef"}));
    s.Tick();
    s.Tick();
    ASSERT_TRUE(other.WaitFor("MODE^7", 2000));
    if (tickDue) s.clock.Advance(ServerGame::kTickInterval + 1);
    std::string shutdown = BuildMessage(Keyword::kAdmin, {"SHUTDOWN"});
    if (trailing) shutdown += BuildMessage(Keyword::kPing) + BuildMessage(Keyword::kChat, {"x"});
    ASSERT_TRUE(admin.SendRaw(shutdown));
    if (otherTalks) {
      ASSERT_TRUE(other.Send("CHAT", {"y"}) && other.Send("PING"));
    }
    s.loop.RunOnce(50);
    s.loop.Shutdown();
    for (WireClient* c : {&admin, &other}) {
      V rest = c->Rest();
      ASSERT_FALSE(rest.empty()) << trial;
      EXPECT_EQ(rest.back(), "MODE^21") << trial;
      EXPECT_EQ(std::count(rest.begin(), rest.end(), "MODE^21"), 1) << trial;
      EXPECT_TRUE(c->Closed()) << trial;
    }
  }
  // The same with the real clock and loop thread, at assorted moments of a tick.
  for (int trial = 0; trial < 10; ++trial) {
    ServerSettings settings;
    settings.adminPassword = "chef";
    SystemClock clock;
    Random random(trial);
    ServerLoop loop(settings, clock, random);
    ASSERT_TRUE(loop.Open(0, -1));
    std::atomic<bool> stop{false};
    std::thread thread([&] { loop.Run(stop, nullptr); });
    WireClient a, b;
    ASSERT_TRUE(a.Connect(settings.port) && a.Send("JOIN") && b.Connect(settings.port) && b.Send("JOIN"));
    EXPECT_TRUE(a.Send("ADMIN", {"LOGIN chef"}) && b.WaitFor("MODE^7", 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(trial * 7));
    ASSERT_TRUE(a.Send("ADMIN", {"SHUTDOWN"}));
    for (WireClient* c : {&a, &b}) {
      V rest = c->Rest(5000);
      EXPECT_TRUE(!rest.empty() && rest.back() == "MODE^21" && c->Closed()) << trial;
    }
    stop = true;
    thread.join();
  }
}

// Two players on slow links (small buffers, one short read per round) keep
// every tick while a third connection floods; the flooder is dropped.
TEST(HostilePeers, AFloodCostsOnlyTheFlooder) {
  struct Flood {
    const char* name;
    bool stranger;  // on a protected server, without the password
    std::vector<std::string> messages;
  };
  const Flood floods[] = {
      {"colour", false, {BuildMessage(Keyword::kColor)}},
      {"chat", false, {BuildMessage(Keyword::kChat, {"spam spam spam"})}},
      {"angle", false, {BuildMessage(Keyword::kAngle, {"UP"})}},
      {"stranger",
       true,
       {BuildMessage(Keyword::kColor), BuildMessage(Keyword::kChat, {"spam"}),
        BuildMessage(Keyword::kAngle, {"UP"}), BuildMessage(Keyword::kGo)}},
  };
  for (const Flood& flood : floods) {
    SteppedServer s;
    s.settings.passwordBox = flood.stranger;
    s.settings.password = "pw";
    WireClient victims[2], flooder;
    for (WireClient& v : victims) {
      ASSERT_TRUE(s.Join(v, nullptr, 8192));
      if (flood.stranger) v.Send("PASS", {"pw"});
    }
    s.Tick();
    for (WireClient& v : victims) ASSERT_TRUE(v.WaitFor("MODE^7", 2000)) << flood.name;
    ASSERT_TRUE(s.Join(flooder));
    std::string burst;
    while (burst.size() < 8192)
      for (const std::string& m : flood.messages) burst += m;
    s.loop.ResetStats();
    int modes[2] = {};
    auto read = [&](size_t maxBytes) {
      for (int v = 0; v < 2; ++v) {
        victims[v].ReadSome(maxBytes);
        while (auto m = victims[v].Next(0)) modes[v] += m->starts_with("MODE^");
      }
    };
    for (int tick = 0; tick < 40; ++tick) {
      for (int round = 0; round < 10; ++round) {
        flooder.SendNow(burst);
        s.loop.RunOnce(0);
        read(4096);
      }
      s.clock.Advance(ServerGame::kTickInterval + 1);
      s.loop.RunOnce(0);
    }
    for (int i = 0; i < 200; ++i) s.loop.RunOnce(0), read(kReceiveBufferSize);
    EXPECT_FALSE(victims[0].Closed() || victims[1].Closed()) << flood.name;
    EXPECT_EQ(s.loop.Game().Clients().Size(), 2u) << flood.name;
    EXPECT_EQ(s.loop.Stats().ticks, 40u);
    EXPECT_EQ(modes[0], 40) << flood.name;
    EXPECT_EQ(modes[1], 40) << flood.name;
    EXPECT_TRUE(flooder.WaitClosed(2000)) << flood.name;
  }
}

}  // namespace
}  // namespace kb
