#include <gtest/gtest.h>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;
using V = std::vector<std::string>;

TEST(ServerMessages, JoinAnswersOnceAndKeepsJoinOrder) {
  GameFixture f;
  f.Join(1, 1);
  EXPECT_EQ(f.sent.To(1), (V{"MODE^10", "COLOR^" + f.ColourOf(1), "SERVER^Test%20Server"}));
  f.sent.log.clear();
  f.Join(1, 1);  // again on the same connection: nothing
  EXPECT_TRUE(f.sent.log.empty());
  f.Message(7, "JOIN"), f.Message(3, "JOIN");
  EXPECT_TRUE(f.game.Clients()[1].connection == 7u && f.game.Clients()[2].connection == 3u);
}

TEST(ServerMessages, ColourChangeRefusedToAPlayerOnlyWhileTheRoundRuns) {
  GameFixture f;
  f.Join(1, 2);
  f.Tick();
  Colour before = f.Record(1).colour;
  f.sent.log.clear();
  for (int i = 0; i < 50; ++i) f.Message(1, "COLOR");  // countdown: allowed
  EXPECT_NE(f.Record(1).colour, before);
  EXPECT_TRUE(f.sent.To(1).size() == 50u && f.sent.To(1).back() == "COLOR^" + f.ColourOf(1));
  EXPECT_TRUE(f.sent.To(2).empty());
  // However many changes: one SCORES in the next tick, after its step, before MODE.
  f.Step();
  V to2 = f.sent.To(2);
  std::string scores = "SCORES^0/" + f.ColourOf(1) + "/0|0/" + f.ColourOf(2) + "/0";
  EXPECT_EQ(std::count(to2.begin(), to2.end(), scores), 1) << to2.size();
  EXPECT_EQ(V(to2.end() - 3, to2.end()), (V{scores, "MODE^7", "PAUSE^0"}));
  f.Step();
  EXPECT_EQ(f.sent.To(2).size(), 5u);  // TIME, two POINT, MODE, PAUSE: no more SCORES
  f.Go(1, 2);
  f.Tick();
  ASSERT_EQ(f.game.State(), ServerGame::kRunning);
  f.Join(3, 3);  // a spectator may change
  before = f.Record(1).colour;
  Colour spectator = f.Record(3).colour;
  f.sent.log.clear();
  f.Message(1, "COLOR"), f.Message(3, "COLOR");
  EXPECT_EQ(f.Record(1).colour, before);
  EXPECT_EQ(f.sent.All(), (V{"3: COLOR^" + f.ColourOf(3)}));
  EXPECT_NE(f.Record(3).colour, spectator);
}

TEST(ServerMessages, ChatAngleGoPingAndLeave) {
  GameFixture f;
  f.Join(1, 3);
  f.sent.log.clear();
  f.Message(2, "CHAT", {"Hallo \xE4"});  // to every other record with the sender's colour
  EXPECT_EQ(f.sent.All(), (V{"1: CHAT^Hallo \xE4^" + f.ColourOf(2), "3: CHAT^Hallo \xE4^" + f.ColourOf(2)}));
  // One turn is 3.55 degrees; wrongly cased or unknown turns are ignored.
  for (const char* turn : {"UP", "DOWN", "DOWN", "up", "", "LEFT"}) f.Message(1, "ANGLE", {turn});
  EXPECT_FLOAT_EQ(f.Record(1).heading, 356.45f);
  f.Pause();
  f.Message(1, "ANGLE", {"UP"});  // paused: ignored
  EXPECT_FLOAT_EQ(f.Record(1).heading, 356.45f);
  f.Message(1, "GO");  // waiting: not counted
  EXPECT_EQ(f.Record(1).ready, 0);
  f.clock.Advance(1234);
  f.Message(1, "PING");
  EXPECT_TRUE(f.sent.To(1).back() == "PONG" && f.Record(1).lastSeen == f.clock.Now());
  f.sent.log.clear();
  // Unknown or wrongly cased keywords get nothing and change nothing.
  for (const char* k : {"BOGUS", "", "ping", "leave"}) f.Message(1, k, {"LOGIN a"});
  EXPECT_TRUE(f.sent.log.empty());
  f.Message(1, "LEAVE");
  f.game.HandleClosed(2);
  EXPECT_EQ(f.game.StatusLine(), "Name: Test Server Port: 666 Spieler: 1");
  f.Join(1, 1);  // after leaving, the same connection may join again
  EXPECT_EQ(f.game.Clients().Size(), 2u);
}

}  // namespace
}  // namespace kb
