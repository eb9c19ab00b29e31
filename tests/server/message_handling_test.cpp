#include <gtest/gtest.h>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;
using V = std::vector<std::string>;

std::string ColourText(const ClientRecord& r) { return std::to_string(r.colour); }

TEST(ServerMessages, JoinAnswersModeColourServerOnceAndGivesBrightColours) {
  GameFixture f;
  f.Join(1);
  ASSERT_NE(f.game.Clients().Find(1), nullptr);
  const ClientRecord& r = f.Record(1);
  EXPECT_EQ(f.sent.To(1), (V{"MODE 10", "COLOR " + ColourText(r), "SERVER Test%20Server"}));
  EXPECT_GE(RedOf(r.colour), 20);
  EXPECT_GE(GreenOf(r.colour), 20);
  EXPECT_GE(BlueOf(r.colour), 20);
  EXPECT_EQ(r.playing, 0);
  EXPECT_EQ(r.points, 0);
  EXPECT_EQ(r.lastSeen, f.clock.Now());
  // A second JOIN on the same connection changes nothing and answers nothing.
  f.sent.Clear();
  f.Join(1);
  EXPECT_TRUE(f.sent.log.empty());
  EXPECT_EQ(f.game.Clients().Size(), 1u);
  // Records keep join order.
  f.Join(7);
  f.Join(3);
  ASSERT_EQ(f.game.Clients().Size(), 3u);
  EXPECT_EQ(f.game.Clients()[1].connection, 7u);
  EXPECT_EQ(f.game.Clients()[2].connection, 3u);
}

TEST(ServerMessages, JoinDuringAGameWatches) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.Tick();  // the game starts
  ASSERT_EQ(f.game.State(), ServerGame::kCountdown);
  f.Join(3);
  EXPECT_EQ(f.sent.To(3).at(0), "MODE 6");
  EXPECT_EQ(f.Record(3).playing, 0);
}

TEST(ServerMessages, PasswordFlow) {
  GameFixture f;
  f.settings.passwordBox = true;
  f.settings.password = "geheim";
  f.Join(1);
  EXPECT_EQ(f.sent.To(1), (V{"MODE 19", "SERVER Test%20Server"}));
  f.sent.Clear();
  f.Message(1, "PASS", {"Geheim"});
  EXPECT_EQ(f.sent.To(1), (V{"MODE 20"}));
  EXPECT_EQ(f.Record(1).authenticated, 0);
  f.sent.Clear();
  f.Message(1, "PASS", {"geheim"});
  EXPECT_EQ(f.sent.To(1), (V{"MODE 10", "COLOR " + ColourText(f.Record(1))}));
  EXPECT_EQ(f.Record(1).authenticated, 1);

  // Two records, one without the password: no game yet.
  f.Join(2);
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kWaiting);
  f.Join(3);
  f.Message(3, "PASS", {"geheim"});
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kCountdown);
  // The record that never gave the password watches instead of playing.
  EXPECT_EQ(f.Record(1).playing, 1);
  EXPECT_EQ(f.Record(2).playing, 0);
  EXPECT_EQ(f.Record(3).playing, 1);
  // A correct password while a game runs answers 6.
  f.sent.Clear();
  f.Message(2, "PASS", {"geheim"});
  EXPECT_EQ(f.sent.To(2).at(0), "MODE 6");
}

TEST(ServerMessages, CheckedBoxWithEmptyPasswordDoesNotProtect) {
  GameFixture f;
  f.settings.passwordBox = true;
  f.Join(1);
  EXPECT_EQ(f.sent.To(1).at(0), "MODE 10");
  // Protection switched off after a client was asked: its PASS is accepted.
  GameFixture g;
  g.settings.passwordBox = true;
  g.settings.password = "x";
  g.Join(1);
  g.settings.passwordBox = false;
  g.sent.Clear();
  g.Message(1, "PASS", {"anything"});
  EXPECT_EQ(g.sent.To(1).at(0), "MODE 10");
}

TEST(ServerMessages, ColourChangeRefusedToAPlayerOnlyWhileTheRoundRuns) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.Tick();
  Colour before = f.Record(1).colour;
  f.sent.Clear();
  f.Message(1, "COLOR");  // countdown: allowed
  EXPECT_NE(f.Record(1).colour, before);
  V to1 = f.sent.To(1);
  ASSERT_EQ(to1.size(), 2u);
  EXPECT_EQ(to1[0], "COLOR " + ColourText(f.Record(1)));
  EXPECT_EQ(to1[1].rfind("SCORES ", 0), 0u);
  EXPECT_EQ(f.sent.To(2).size(), 1u);  // the new scores only

  f.Tick();  // placement forgets a GO sent before it
  f.Message(1, "GO");
  f.Message(2, "GO");
  f.Tick();
  ASSERT_EQ(f.game.State(), ServerGame::kRunning);
  f.Join(3);  // a spectator
  before = f.Record(1).colour;
  f.sent.Clear();
  f.Message(1, "COLOR");
  EXPECT_EQ(f.Record(1).colour, before);
  EXPECT_TRUE(f.sent.log.empty());
  Colour spectator = f.Record(3).colour;
  f.Message(3, "COLOR");
  EXPECT_NE(f.Record(3).colour, spectator);
}

TEST(ServerMessages, ChatGoesToEveryOtherRecordWithTheSendersColour) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.Join(3);
  f.sent.Clear();
  f.Message(2, "CHAT", {"Hallo \xE4 Welt"});
  EXPECT_EQ(f.sent.All(), (V{"1: CHAT Hallo \xE4 Welt " + ColourText(f.Record(2)),
                             "3: CHAT Hallo \xE4 Welt " + ColourText(f.Record(2))}));
}

TEST(ServerMessages, AngleTurnsUnlessPausedAndIgnoresOtherValues) {
  GameFixture f;
  f.Join(1);
  f.Message(1, "ANGLE", {"UP"});
  EXPECT_FLOAT_EQ(f.Record(1).heading, 3.55f);
  f.Message(1, "ANGLE", {"DOWN"});
  f.Message(1, "ANGLE", {"DOWN"});
  EXPECT_FLOAT_EQ(f.Record(1).heading, -3.55f);
  f.Message(1, "ANGLE", {"up"});
  f.Message(1, "ANGLE");
  f.Message(1, "ANGLE", {"LEFT"});
  EXPECT_FLOAT_EQ(f.Record(1).heading, -3.55f);
  f.settings.adminPassword = "a";
  f.Message(1, "ADMIN", {"LOGIN a"});
  f.Message(1, "ADMIN", {"PAUSE"});
  ASSERT_TRUE(f.game.Paused());
  f.Message(1, "ANGLE", {"UP"});
  EXPECT_FLOAT_EQ(f.Record(1).heading, -3.55f);
}

TEST(ServerMessages, GoCountsOnlyInWaitingPhases) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.Message(1, "GO");  // state 10
  EXPECT_EQ(f.Record(1).ready, 0);
  f.Tick();
  f.Tick();  // placed in the first countdown tick
  f.Message(1, "GO");
  EXPECT_EQ(f.Record(1).ready, 1);
}

TEST(ServerMessages, PingLeaveAndStrangers) {
  GameFixture f;
  f.Join(1);
  f.clock.Advance(1234);
  f.sent.Clear();
  f.Ping(1);
  EXPECT_EQ(f.sent.To(1), (V{"PONG"}));
  EXPECT_EQ(f.Record(1).lastSeen, f.clock.Now());
  // Any data refreshes last seen too.
  f.clock.Advance(10);
  f.game.HandleData(1);
  EXPECT_EQ(f.Record(1).lastSeen, f.clock.Now());

  // Connections without a record get nothing and change nothing.
  f.sent.Clear();
  for (const char* k : {"PING", "GO", "COLOR", "CHAT", "ADMIN", "ANGLE", "PASS", "LEAVE", "BOGUS", ""}) {
    f.Message(9, k, {"x"});
  }
  f.game.HandleData(9);
  f.game.HandleClosed(9);
  EXPECT_TRUE(f.sent.log.empty());
  EXPECT_EQ(f.game.Clients().Size(), 1u);

  // Unknown keywords from a member are ignored too; keywords are case-sensitive.
  f.Message(1, "ping");
  f.Message(1, "JOINX");
  EXPECT_TRUE(f.sent.log.empty());

  f.Join(2);
  f.Message(1, "LEAVE");
  EXPECT_EQ(f.game.Clients().Find(1), nullptr);
  EXPECT_EQ(f.game.StatusLine(), "Name: Test Server Port: 666 Spieler: 1");
  f.game.HandleClosed(2);
  EXPECT_TRUE(f.game.Clients().Empty());
  // After leaving, the same connection may join again.
  f.Join(1);
  EXPECT_EQ(f.game.Clients().Size(), 1u);
}

TEST(ServerMessages, DiscoveryAnswersOnlyTheExactRequestWhileVisible) {
  GameFixture f;
  f.Join(1);
  f.settings.passwordBox = true;
  f.settings.password = "p";
  EXPECT_FALSE(f.game.AnswerDiscovery("KRINGELBAHN CLIENT"));  // hidden at start
  f.settings.hidden = false;
  auto answer = f.game.AnswerDiscovery("KRINGELBAHN CLIENT");
  ASSERT_TRUE(answer);
  EXPECT_EQ(testing::LoopbackTransport::Readable(*answer), "KRINGELBAHN SERVER Test%20Server 666 1 1");
  // Up to the first zero byte, like the receive.
  EXPECT_TRUE(f.game.AnswerDiscovery(std::string("KRINGELBAHN CLIENT\0junk", 23)));
  EXPECT_FALSE(f.game.AnswerDiscovery("KRINGELBAHN CLIENT "));
  EXPECT_FALSE(f.game.AnswerDiscovery("kringelbahn client"));
  EXPECT_FALSE(f.game.AnswerDiscovery(""));
}

TEST(ServerMessages, ShutdownTellsEveryRecord) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.sent.Clear();
  f.game.Shutdown();
  EXPECT_TRUE(f.game.ShutdownRequested());
  EXPECT_EQ(f.sent.All(), (V{"1: MODE 21", "2: MODE 21"}));
}

}  // namespace
}  // namespace kb
