#include <gtest/gtest.h>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;
using V = std::vector<std::string>;

std::string C(const ClientRecord& r) { return std::to_string(r.colour); }

std::string Entry(const ClientRecord& r) {
  return std::to_string(r.points) + "/" + C(r) + "/" + std::to_string(r.wins);
}

// Two players in a running round, heads placed by the test on an empty field.
struct RunningGame : GameFixture {
  explicit RunningGame(int players = 2) {
    for (int c = 1; c <= players; ++c) Join(c);
    Tick();  // 10 -> 7
    Tick();  // placement
    for (int c = 1; c <= players; ++c) Message(c, "GO");
    Tick();  // 7 -> 8
    EXPECT_EQ(game.State(), ServerGame::kRunning);
    game.FieldImage().Clear();
    sent.Clear();
  }
  void Place(ConnectionId c, int x, int y, float heading) {
    ClientRecord& r = Record(c);
    r.x = r.previousX = x;
    r.y = r.previousY = y;
    r.heading = heading;
    r.gapStart = 0;
    r.nextGap = clock.Now() + 100000;
  }
};

TEST(GameTick, TwoClientWalkThroughOnTheWire) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.sent.Clear();
  f.Tick();
  ClientRecord& a = f.Record(1);
  ClientRecord& b = f.Record(2);
  std::string scores = "SCORES " + Entry(a) + "|" + Entry(b);
  EXPECT_EQ(f.sent.All(), (V{"1: CLEAR", "2: CLEAR", "1: " + scores, "2: " + scores, "1: MODE 7",
                             "1: PAUSE 0", "2: MODE 7", "2: PAUSE 0"}));
  EXPECT_EQ(a.playing + b.playing, 2);

  f.sent.Clear();
  f.Tick();  // first countdown tick: 51 ms after the round timer
  std::string pa = "POINT " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + C(a);
  std::string pb = "POINT " + std::to_string(b.x) + " " + std::to_string(b.y) + " " + C(b);
  EXPECT_EQ(f.sent.All(), (V{"1: TIME 4949", "2: TIME 4949", "1: " + pa, "1: " + pb, "2: " + pa, "2: " + pb,
                             "1: MODE 7", "1: PAUSE 0", "2: MODE 7", "2: PAUSE 0"}));
  EXPECT_GE(a.x, 75);
  EXPECT_LE(a.x, 725);
  EXPECT_GE(a.y, 75);
  EXPECT_LE(a.y, 500);
  EXPECT_EQ(a.heading - static_cast<int>(a.heading), 0.25f);
  EXPECT_GE(a.nextGap - f.clock.Now(), 1500);
  EXPECT_LE(a.nextGap - f.clock.Now(), 4000);

  f.Message(1, "GO");
  f.Message(2, "GO");
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.sent.All(),
            (V{"1: TIME 4898", "2: TIME 4898", "1: " + pa, "1: " + pb, "2: " + pa, "2: " + pb, "1: " + scores,
               "2: " + scores, "1: MODE 8", "1: PAUSE 0", "2: MODE 8", "2: PAUSE 0"}));

  // B runs down across the row A is heading along; A reaches B's trail.
  a.x = 100, a.y = 300, a.heading = 0;
  b.x = 110, b.y = 295, b.heading = 90;
  a.gapStart = b.gapStart = 0;
  a.nextGap = b.nextGap = f.clock.Now() + 100000;
  f.game.FieldImage().Clear();
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.sent.All(), (V{"1: LINE 100 300 105 300 " + C(a), "2: LINE 100 300 105 300 " + C(a),
                             "1: LINE 110 295 110 300 " + C(b), "2: LINE 110 295 110 300 " + C(b),
                             "1: MODE 8", "1: PAUSE 0", "2: MODE 8", "2: PAUSE 0"}));
  f.sent.Clear();
  f.Tick();  // A reaches 110,300 where B's trail lies
  EXPECT_EQ(a.dead, 1);
  EXPECT_EQ(b.dead, 0);
  EXPECT_EQ(b.points, 1);
  std::string after = "SCORES " + Entry(a) + "|" + Entry(b);
  EXPECT_EQ(f.sent.All(), (V{"1: " + after, "2: " + after, "1: LINE 105 300 110 300 " + C(a),
                             "2: LINE 105 300 110 300 " + C(a), "1: LINE 110 300 110 305 " + C(b),
                             "2: LINE 110 300 110 305 " + C(b), "1: " + after, "2: " + after, "1: MODE 9",
                             "1: PAUSE 0", "2: MODE 9", "2: PAUSE 0"}));
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.sent.All(), (V{"1: WINNER " + C(b), "2: WINNER " + C(b), "1: MODE 9", "1: PAUSE 0", "2: MODE 9",
                             "2: PAUSE 0"}));

  f.Message(1, "GO");
  f.Message(2, "GO");
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.sent.All(), (V{"1: WINNER " + C(b), "2: WINNER " + C(b), "1: CLEAR", "2: CLEAR", "1: " + after,
                             "2: " + after, "1: MODE 7", "1: PAUSE 0", "2: MODE 7", "2: PAUSE 0"}));
  EXPECT_EQ(a.placed + b.placed, 0);
  EXPECT_EQ(f.game.FieldImage().Pixel(110, 300), 0u);

  // A leaves: from the next tick on B alone waits.
  f.Message(1, "LEAVE");
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kWaiting);
  V toB = f.sent.To(2);
  ASSERT_GE(toB.size(), 2u);
  EXPECT_EQ(toB[toB.size() - 2], "MODE 10");
  EXPECT_EQ(toB.back(), "PAUSE 0");
}

TEST(GameTick, CountdownEndsAfterMoreThan5000MsWithoutGo) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.Tick();
  int64_t start = f.game.RoundTimer();
  f.clock.Set(start + 5000);
  f.game.RunTick();
  EXPECT_EQ(f.game.State(), ServerGame::kCountdown);  // exactly 5000: not yet
  f.clock.Set(start + 5001);
  f.sent.Clear();
  f.game.RunTick();
  EXPECT_EQ(f.game.State(), ServerGame::kRunning);
  EXPECT_EQ(f.sent.To(1).front(), "TIME -1");  // the last countdown tick may go below 0
  // One GO is not enough while another record waits.
  GameFixture g;
  g.Join(1);
  g.Join(2);
  g.Join(3);
  g.Tick();
  g.Tick();
  g.Message(1, "GO");
  g.Message(2, "GO");
  g.Tick();
  EXPECT_EQ(g.game.State(), ServerGame::kCountdown);
}

TEST(GameTick, BorderDeathComesOneTickLate) {
  RunningGame f;
  f.Place(1, 798, 300, 0);
  f.Place(2, 400, 100, 90);
  f.Tick();
  ClientRecord& a = f.Record(1);
  EXPECT_EQ(a.x, 803);
  EXPECT_EQ(a.dead, 0);  // outside, but no pixel test and no border test yet
  EXPECT_EQ(f.sent.To(2).front(), "LINE 798 300 803 300 " + C(a));
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(a.dead, 1);
  EXPECT_EQ(f.Record(2).points, 1);
  EXPECT_EQ(a.points, 0);
  // No scores for a border death itself: the only SCORES is the round end's,
  // after the dead head's own last segment.
  V to2 = f.sent.To(2);
  ASSERT_GE(to2.size(), 3u);
  EXPECT_EQ(to2[0], "LINE 803 300 808 300 " + C(a));
  EXPECT_EQ(to2[2].rfind("SCORES", 0), 0u);
  EXPECT_EQ(std::count_if(to2.begin(), to2.end(), [](auto& m) { return m.rfind("SCORES", 0) == 0; }), 1);
  EXPECT_EQ(f.game.State(), ServerGame::kRoundOver);
}

TEST(GameTick, TheFarEdgesReadAsEmptyField) {
  RunningGame f;
  f.Place(1, 795, 300, 0);   // reaches x = 800, one column past the image
  f.Place(2, 400, 570, 90);  // reaches y = 575
  f.Tick();
  EXPECT_EQ(f.Record(1).x, 800);
  EXPECT_EQ(f.Record(2).y, 575);
  EXPECT_EQ(f.Record(1).dead + f.Record(2).dead, 0);
}

TEST(GameTick, EarlierRecordDrawsFirstSoTheLaterOneDies) {
  RunningGame f;
  f.Place(1, 100, 100, 0);    // draws discs at x = 100..104, y = 100
  f.Place(2, 103, 107, 270);  // reaches 103,102, inside that fresh segment
  f.Tick();
  EXPECT_EQ(f.Record(1).dead, 0);
  EXPECT_EQ(f.Record(2).dead, 1);
  EXPECT_EQ(f.Record(1).points, 1);
  f.Tick();
  EXPECT_EQ(f.game.WinnerColour(), f.Record(1).colour);

  // The same crossing with the roles swapped in the table: now the earlier
  // record is the one that ends in the later one's path, and survives.
  RunningGame g;
  g.Place(1, 103, 107, 270);
  g.Place(2, 100, 100, 0);
  g.Tick();
  EXPECT_EQ(g.Record(1).dead, 0);
  EXPECT_EQ(g.Record(2).dead, 0);
}

TEST(GameTick, BothDyingInOneTickKeepsTheLastWinnerColour) {
  RunningGame f;
  f.Place(1, 810, 300, 0);
  f.Place(2, 400, -3, 90);
  f.Tick();
  EXPECT_EQ(f.Record(1).dead + f.Record(2).dead, 2);
  EXPECT_EQ(f.Record(1).points, 0);  // dead before 2 died
  EXPECT_EQ(f.Record(2).points, 1);
  EXPECT_EQ(f.game.State(), ServerGame::kRoundOver);
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.sent.To(1).front(), "WINNER 0");  // nobody has won yet

  // A round B wins, then another where both die: B's colour is repeated.
  f.Message(1, "GO");
  f.Message(2, "GO");
  f.Tick();
  f.Tick();
  f.Message(1, "GO");
  f.Message(2, "GO");
  f.Tick();
  ASSERT_EQ(f.game.State(), ServerGame::kRunning);
  f.Place(1, 900, 300, 0);
  f.Place(2, 400, 300, 0);
  f.Tick();
  f.Tick();
  EXPECT_EQ(f.game.WinnerColour(), f.Record(2).colour);
  f.Message(1, "GO");
  f.Message(2, "GO");
  f.Tick();
  f.Tick();
  f.Message(1, "GO");
  f.Message(2, "GO");
  f.Tick();
  f.Place(1, 900, 300, 0);
  f.Place(2, 400, 900, 0);
  f.Tick();
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.sent.To(1).front(), "WINNER " + C(f.Record(2)));
}

TEST(GameTick, HeadingNormalisationAndMovementRounding) {
  RunningGame f;
  f.Place(1, 400, 300, -0.5f);
  f.Place(2, 200, 200, 365.0f);
  f.Tick();
  EXPECT_FLOAT_EQ(f.Record(1).heading, 359.5f);
  EXPECT_FLOAT_EQ(f.Record(2).heading, 5.0f);
  // 5 * cos(359.5 deg) = 4.9998 -> 405; 5 * sin = -0.0436 -> 300.
  EXPECT_EQ(f.Record(1).x, 405);
  EXPECT_EQ(f.Record(1).y, 300);
  // 5 * cos(5 deg) = 4.981, 5 * sin(5 deg) = 0.4358 -> 205, 200.
  EXPECT_EQ(f.Record(2).x, 205);
  EXPECT_EQ(f.Record(2).y, 200);
  f.Record(1).heading = 359.5f;
  f.Record(2).heading = 45.0f;  // 3.5355 each way -> 4
  f.Tick();
  EXPECT_FLOAT_EQ(f.Record(1).heading, 359.5f);
  EXPECT_EQ(f.Record(2).x, 209);
  EXPECT_EQ(f.Record(2).y, 204);
}

TEST(GameTick, GapsLeaveHolesThatOthersPassThrough) {
  RunningGame f;
  f.Place(1, 100, 300, 0);
  f.Place(2, 400, 100, 90);
  ClientRecord& a = f.Record(1);
  const std::string colourOfA = C(a);
  auto linesOfA = [&] {
    long n = 0;
    for (const std::string& m : f.sent.To(2)) {
      n += m.rfind("LINE", 0) == 0 && m.substr(m.rfind(' ') + 1) == colourOfA;
    }
    return n;
  };
  a.nextGap = f.clock.Now() + 51;
  f.Tick();  // now == next gap: no longer before it, nothing drawn
  EXPECT_EQ(linesOfA(), 0);
  EXPECT_EQ(a.gapStart, 0);
  f.sent.Clear();
  f.Tick();  // past it: the gap's times move on
  EXPECT_EQ(linesOfA(), 0);
  EXPECT_EQ(a.gapStart, f.clock.Now() - 51);
  EXPECT_GE(a.nextGap - f.clock.Now(), 1500);
  EXPECT_LE(a.nextGap - f.clock.Now(), 4000);
  EXPECT_EQ(f.game.FieldImage().Pixel(107, 300), 0u);
  // 175 ms after the gap began: +102 and +153 stay silent, +204 draws.
  std::vector<long> drawn;
  for (int i = 0; i < 3; ++i) {
    f.sent.Clear();
    f.Tick();
    drawn.push_back(linesOfA());
  }
  EXPECT_EQ(drawn, (std::vector<long>{0, 0, 1}));
  EXPECT_EQ(f.game.FieldImage().Pixel(107, 300), 0u);  // the hole stays open
  EXPECT_EQ(f.game.FieldImage().Pixel(a.previousX, 300), a.colour);
}

TEST(GameTick, GameIsWonAtTenPointsPerOpponent) {
  for (int players : {2, 4}) {
    RunningGame f(players);
    EXPECT_EQ(f.game.TargetScore(), 10 * (players - 1));
    // Every opponent leaves the field: A gains one point per opponent.
    int gain = players - 1;
    f.Record(1).points = f.game.TargetScore() - 1 - gain;
    for (int c = 2; c <= players; ++c) f.Place(c, 900, 100 * c, 0);
    f.Place(1, 400, 300, 0);
    f.Tick();
    f.Tick();  // round over one point short of the target
    EXPECT_EQ(f.Record(1).points, f.game.TargetScore() - 1);
    EXPECT_EQ(f.game.State(), ServerGame::kRoundOver) << players;
    // Next round: the last point arrives.
    for (int c = 1; c <= players; ++c) f.Message(c, "GO");
    f.Tick();
    f.Tick();
    for (int c = 1; c <= players; ++c) f.Message(c, "GO");
    f.Tick();
    ASSERT_EQ(f.game.State(), ServerGame::kRunning);
    for (int c = 2; c <= players; ++c) f.Place(c, 900, 100 * c, 0);
    f.Place(1, 400, 300, 0);
    f.Tick();
    ASSERT_GE(f.Record(1).points, f.game.TargetScore());
    f.sent.Clear();
    f.Tick();
    EXPECT_EQ(f.game.State(), ServerGame::kGameOver);
    EXPECT_EQ(f.Record(1).wins, 1);
    EXPECT_EQ(f.sent.To(2).front(), "WINNER " + C(f.Record(1)));
    f.sent.Clear();
    f.Tick();
    EXPECT_EQ(f.sent.To(2), (V{"TIME 19949", "MODE 18", "PAUSE 0"}));  // WINNER only once
  }
}

TEST(GameTick, GameOverStartsANewGameWithSpectatorsAfter20Seconds) {
  RunningGame f;
  f.Join(3);  // joins during the round: watches
  EXPECT_EQ(f.Record(3).playing, 0);
  f.Record(1).points = 9;
  f.Place(1, 400, 300, 0);
  f.Place(2, 900, 300, 0);
  f.Tick();
  f.sent.Clear();
  f.Tick();  // 9 + 1 points < 20 (three records): a new round, not a new game
  EXPECT_EQ(f.game.State(), ServerGame::kRoundOver);
  for (int c = 1; c <= 3; ++c) f.Message(c, "GO");
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kCountdown);
  EXPECT_EQ(f.Record(3).playing, 0);  // a new round keeps spectators out
  // The spectator sees the drawing but gets no MODE, PAUSE or TIME.
  f.sent.Clear();
  f.Tick();
  for (const std::string& m : f.sent.To(3)) EXPECT_EQ(m.rfind("POINT", 0), 0u) << m;

  f.Record(1).points = 20;
  f.Record(1).dead = 0;
  f.game.Clients()[0].ready = 1;
  for (int c = 1; c <= 3; ++c) f.Message(c, "GO");
  f.Tick();  // -> 8
  f.Place(1, 400, 300, 0);
  f.Place(2, 900, 300, 0);
  f.Tick();  // -> 9
  f.Tick();  // -> 18
  ASSERT_EQ(f.game.State(), ServerGame::kGameOver);
  int64_t start = f.game.RoundTimer();
  f.clock.Set(start + 20000);
  f.game.RunTick();
  EXPECT_EQ(f.game.State(), ServerGame::kGameOver);
  f.clock.Set(start + 20001);
  f.sent.Clear();
  f.game.RunTick();
  EXPECT_EQ(f.game.State(), ServerGame::kCountdown);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(f.Record(c).playing, 1);
    EXPECT_EQ(f.Record(c).points, 0);
  }
  EXPECT_EQ(f.Record(1).wins, 1);
  EXPECT_EQ(f.sent.To(3),
            (V{"CLEAR", "SCORES " + Entry(f.Record(1)) + "|" + Entry(f.Record(2)) + "|" + Entry(f.Record(3)),
               "MODE 7", "PAUSE 0"}));
}

TEST(GameTick, RoundEndWaitsFullFiveSecondsForASilentSpectator) {
  RunningGame f;
  f.Join(3);
  f.Place(1, 400, 300, 0);
  f.Place(2, 900, 300, 0);
  f.Tick();
  int64_t start = f.game.RoundTimer();
  f.Message(1, "GO");
  f.Message(2, "GO");
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kRoundOver);
  f.clock.Set(start + 5001);
  f.game.RunTick();
  EXPECT_EQ(f.game.State(), ServerGame::kCountdown);
}

TEST(GameTick, FewerThanTwoRecordsFallBackToWaitingAndRestartWithZeroPoints) {
  RunningGame f;
  f.Record(1).points = 5;
  f.game.HandleClosed(2);
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kWaiting);
  EXPECT_EQ(f.sent.To(1).back(), "PAUSE 0");
  f.Join(4);
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kCountdown);
  EXPECT_EQ(f.Record(1).points, 0);

  // One record left while a round is over: no game is handed to it.
  RunningGame g;
  g.Record(1).points = 0;
  g.Place(1, 400, 300, 0);
  g.Place(2, 900, 300, 0);
  g.Tick();
  g.Message(2, "LEAVE");
  g.Tick();
  EXPECT_EQ(g.Record(1).wins, 0);
  EXPECT_EQ(g.game.State(), ServerGame::kWaiting);
}

TEST(GameTick, PauseFreezesTheGameButStillReportsIt) {
  RunningGame f;
  f.settings.adminPassword = "a";
  f.Message(1, "ADMIN", {"LOGIN a"});
  f.Message(1, "ADMIN", {"PAUSE"});
  f.Place(1, 400, 300, 0);
  f.Place(2, 200, 300, 0);
  f.sent.Clear();
  f.Tick();
  EXPECT_EQ(f.Record(1).x, 400);
  EXPECT_EQ(f.sent.To(2), (V{"MODE 8", "PAUSE 1"}));
  // Fewer than two records falls back to waiting even while paused.
  f.game.HandleClosed(2);
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kWaiting);
  EXPECT_EQ(f.sent.To(1).back(), "PAUSE 1");
}

TEST(GameTick, OneSilentClientIsDroppedPerTick) {
  GameFixture f;
  f.Join(1);
  f.Join(2);
  f.Join(3);
  f.clock.Advance(30000);
  f.Ping(2);
  f.game.RunTick();  // exactly 30000 ms: not yet
  EXPECT_EQ(f.game.Clients().Size(), 3u);
  f.sent.Clear();
  f.clock.Advance(1);
  f.game.RunTick();
  EXPECT_EQ(f.game.Clients().Size(), 2u);
  EXPECT_EQ(f.game.Clients().Find(1), nullptr);
  EXPECT_EQ(f.sent.To(1), (V{"MODE 22"}));
  f.clock.Advance(1);
  f.game.RunTick();
  EXPECT_EQ(f.game.Clients().Find(3), nullptr);
  EXPECT_NE(f.game.Clients().Find(2), nullptr);
}

}  // namespace
}  // namespace kb
