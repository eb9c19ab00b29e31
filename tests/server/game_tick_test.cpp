#include <gtest/gtest.h>

#include <algorithm>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using V = std::vector<std::string>;

// A running round on an empty field; the test places the heads.
struct RunningGame : testing::GameFixture {
  explicit RunningGame(int players = 2, bool start = true) {
    if (!start) return;
    Join(1, players);
    Tick(2);  // 10 -> 7, placement
    Go(1, players);
    Tick();
    EXPECT_EQ(game.State(), ServerGame::kRunning);
    game.FieldImage().Clear();
    sent.log.clear();
  }
  void Place(ConnectionId c, int x, int y, float heading) {
    ClientRecord& r = Record(c);
    r.x = r.previousX = x, r.y = r.previousY = y, r.heading = heading;
    r.gapStart = 0, r.nextGap = clock.Now() + 100000;
  }
  void NextRound() {
    for (int i = 0; i < 2; ++i) {
      for (const ClientRecord& r : game.Clients()) Message(r.connection, "GO");
      Tick(2 - i);
    }
    game.FieldImage().Clear();
  }
  std::string Scores() {
    std::string s = "SCORES^";
    for (const ClientRecord& r : game.Clients())
      s += std::to_string(r.points) + "/" + std::to_string(r.colour) + "/" + std::to_string(r.wins) + "|";
    return s.substr(0, s.size() - 1);
  }
};

// What one step sent to each of the two players: the same messages, then the mode and PAUSE. Each
// connection is a stream of its own, so how the sends to different receivers interleave is no rule.
void ExpectStep(testing::GameFixture& f, V each, int mode) {
  each.insert(each.end(), {"MODE^" + std::to_string(mode), "PAUSE^0"});
  EXPECT_EQ(f.sent.To(1), each);
  EXPECT_EQ(f.sent.To(2), each);
  EXPECT_EQ(f.sent.log.size(), 2 * each.size());
}

TEST(GameTick, TwoClientWalkThroughOnTheWire) {
  RunningGame f(2, false);
  f.Join(1, 2);
  f.Step();
  ExpectStep(f, {"CLEAR", f.Scores()}, 7);
  f.Step();  // placement
  ClientRecord &a = f.Record(1), &b = f.Record(2);
  EXPECT_TRUE(a.x >= 75 && a.x <= 725 && a.y >= 75 && a.y <= 500);
  EXPECT_EQ(a.heading - static_cast<int>(a.heading), 0.25f);
  EXPECT_TRUE(a.nextGap - f.clock.Now() >= 1500 && a.nextGap - f.clock.Now() <= 4000);
  std::string pa = "POINT^" + std::to_string(a.x) + "^" + std::to_string(a.y) + "^" + f.ColourOf(1);
  std::string pb = "POINT^" + std::to_string(b.x) + "^" + std::to_string(b.y) + "^" + f.ColourOf(2);
  ExpectStep(f, {"TIME^4949", pa, pb}, 7);
  f.Go(1, 2);
  f.Step();
  ExpectStep(f, {"TIME^4898", pa, pb, f.Scores()}, 8);

  // B runs down across the row A is heading along; A reaches B's trail.
  f.game.FieldImage().Clear();
  f.Place(1, 100, 300, 0), f.Place(2, 110, 295, 90);
  f.Step();
  std::string ca = "^" + f.ColourOf(1), cb = "^" + f.ColourOf(2);
  ExpectStep(f, {"LINE^100^300^105^300" + ca, "LINE^110^295^110^300" + cb}, 8);
  f.Step();
  EXPECT_EQ(a.dead + 2 * b.dead, 1);
  EXPECT_EQ(b.points, 1);
  std::string after = f.Scores();
  ExpectStep(f, {after, "LINE^105^300^110^300" + ca, "LINE^110^300^110^305" + cb, after}, 9);
  f.Step();
  ExpectStep(f, {"WINNER" + cb}, 9);
  f.Go(1, 2);
  f.Step();
  ExpectStep(f, {"WINNER" + cb, "CLEAR", after}, 7);
  EXPECT_EQ(a.placed + b.placed, 0);
  EXPECT_EQ(f.game.FieldImage().Pixel(110, 300), 0u);
}

TEST(GameTick, WaitingPhasesEndOnAllReadyOrAfterTheirTime) {
  testing::GameFixture f;
  f.Join(1, 3);
  f.Tick(2);
  f.Go(1, 2);  // one record still waits
  f.Tick();
  // Countdown, then a round over: each waits its full five seconds for the one not ready.
  for (auto [state, next] : {std::pair(ServerGame::kCountdown, ServerGame::kRunning),
                             std::pair(ServerGame::kRoundOver, ServerGame::kCountdown)}) {
    ASSERT_EQ(f.game.State(), state);
    int64_t start = f.game.RoundTimer();
    f.TickAt(start + 5000);
    EXPECT_EQ(f.game.State(), state);  // exactly 5000: not yet
    f.TickAt(start + 5001);
    EXPECT_EQ(f.game.State(), next);
    if (next == ServerGame::kCountdown) break;
    EXPECT_EQ(f.sent.To(1).front(), "TIME^-1");  // the last countdown tick may go below 0
    for (ConnectionId c : {1, 2, 3}) f.Record(c).x = 900;
    f.Tick(2);
    f.Go(1, 2);
  }
}

// Where two heads end after some ticks on an empty field: the border is tested a tick after a head passed it
// (x = 800 and the row past the image are still inside), and the earlier record moves first, so it dies only
// in a trail already drawn.
TEST(GameTick, BorderAndTrailDeaths) {
  const struct Case {
    const char* name;
    int x1, y1, heading1, x2, y2, heading2, ticks, dead1, dead2;
  } cases[] = {
      {"past the right border, not yet tested", 798, 300, 0, 400, 570, 90, 1, 0, 0},
      {"past the right border, tested", 798, 300, 0, 400, 570, 90, 2, 1, 0},
      {"on the far edges", 795, 300, 0, 400, 570, 90, 2, 0, 0},
      {"the later one runs into the earlier one's new trail", 100, 100, 0, 103, 107, 270, 1, 0, 1},
      {"the earlier one crosses where the later one draws", 103, 107, 270, 100, 100, 0, 1, 0, 0},
      {"both out in one tick", 810, 300, 0, 400, -3, 90, 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunningGame f;
    f.Place(1, c.x1, c.y1, c.heading1), f.Place(2, c.x2, c.y2, c.heading2);
    f.Tick(c.ticks);
    EXPECT_EQ(std::pair(f.Record(1).dead, f.Record(2).dead), std::pair(c.dead1, c.dead2));
    // The one who died later, or lives, scores for each death before.
    EXPECT_EQ(std::pair(f.Record(1).points, f.Record(2).points),
              std::pair(int(c.dead2 && !c.dead1), c.dead1));
    if (c.dead1 && c.dead2) f.Tick();
    EXPECT_EQ(f.game.WinnerColour(), 0u);  // nobody has won the round
  }
}

TEST(GameTick, ABorderDeathIsNotAlsoATrailDeath) {
  RunningGame f(3);
  f.Place(1, -2, 300, 0);  // left the field last tick; this tick's step lands on a trail
  f.Place(2, 400, 100, 0), f.Place(3, 400, 200, 0);
  f.game.FieldImage().FillBox(0, 295, 10, 10, 1234);
  f.Step();
  EXPECT_EQ(std::tuple(f.Record(1).dead, f.Record(2).points, f.Record(3).points), std::tuple(1, 1, 1));
  V told = f.sent.To(2);
  EXPECT_TRUE(!told.empty() && std::ranges::none_of(told, [](auto& m) { return m.starts_with("SCORES"); }));
}

TEST(GameTick, HeadingNormalisationAndMovementRounding) {
  RunningGame f;
  f.Place(1, 400, 300, -0.5f);   // a step of 4.9998, -0.0436
  f.Place(2, 200, 200, 365.0f);  // of 4.981, 0.4358
  f.Tick();
  EXPECT_EQ(std::tuple(f.Record(1).heading, f.Record(1).x, f.Record(1).y), std::tuple(359.5f, 405, 300));
  EXPECT_EQ(std::tuple(f.Record(2).heading, f.Record(2).x, f.Record(2).y), std::tuple(5.0f, 205, 200));
  f.Record(2).heading = 45.0f;  // 3.5355 each way -> 4
  f.Tick();
  EXPECT_EQ(std::pair(f.Record(2).x, f.Record(2).y), std::pair(209, 204));
}

TEST(GameTick, GapsLeaveHolesThatOthersPassThrough) {
  RunningGame f;
  f.Place(1, 100, 300, 0), f.Place(2, 400, 100, 90);
  ClientRecord& a = f.Record(1);
  a.nextGap = f.clock.Now() + 51;
  const std::string own = "^" + f.ColourOf(1);
  std::vector<long> drawn;  // lines in A's colour sent to B per tick
  for (int i = 0; i < 5; ++i) {
    f.Step();
    V to2 = f.sent.To(2);
    drawn.push_back(std::count_if(to2.begin(), to2.end(), [&](auto& m) { return m.ends_with(own); }));
  }
  // At the gap's time nothing is drawn; 175 ms after it began drawing resumes.
  EXPECT_EQ(drawn, (std::vector<long>{0, 0, 0, 0, 1}));
  EXPECT_EQ(f.game.FieldImage().Pixel(107, 300), 0u);  // the hole stays open
  EXPECT_EQ(f.game.FieldImage().Pixel(a.previousX, 300), a.colour);
}

// With two players, one joining mid-round watches: it counts for the target
// but plays only from the next game, and it hears no MODE, PAUSE or TIME.
TEST(GameTick, GameIsWonAtTenPointsPerOpponentAndTheNextTakesEveryone) {
  for (int players : {2, 4}) {
    SCOPED_TRACE(players);
    RunningGame f(players);
    EXPECT_EQ(f.game.TargetScore(), 10 * (players - 1));
    const ConnectionId spectator = players + 1;
    if (players == 2) f.Join(spectator, spectator);
    f.Record(1).points = f.game.TargetScore() - players;
    for (int round = 0; round < 2; ++round) {  // one point short, then the last
      if (round) f.NextRound();
      EXPECT_EQ(players == 2 ? f.Record(spectator).playing : 0, 0);
      for (const ClientRecord& r : f.game.Clients()) f.Place(r.connection, 900, 100, 0);  // only 1 survives
      f.Place(1, 400, 300, 0);
      f.Tick();
      f.Step();
      EXPECT_EQ(f.game.State(), round ? ServerGame::kGameOver : ServerGame::kRoundOver);
      for (const std::string& m : f.sent.To(spectator))
        EXPECT_FALSE(m.starts_with("MODE") || m.starts_with("PAUSE") || m.starts_with("TIME")) << m;
    }
    EXPECT_EQ(f.Record(1).wins, 1);
    EXPECT_EQ(f.sent.To(2).front(), "WINNER^" + f.ColourOf(1));
    f.Step();
    EXPECT_EQ(f.sent.To(2), (V{"TIME^19949", "MODE^18", "PAUSE^0"}));  // WINNER only once
    f.TickAt(f.game.RoundTimer() + 20001);
    EXPECT_EQ(f.game.State(), ServerGame::kCountdown);
    for (const ClientRecord& r : f.game.Clients()) EXPECT_TRUE(r.playing == 1 && r.points == 0);
    if (players != 2) continue;
    EXPECT_EQ(f.sent.To(spectator), (V{"CLEAR", f.Scores(), "MODE^7", "PAUSE^0"}));
  }
}

// One player left in a game, alone or with spectators, paused or not: the
// game waits and the one left has won nothing; spectators make a new game.
TEST(GameTick, APlayerLeftAloneWaitsAndSpectatorsMakeTheNextGame) {
  // The state the game is in, the spectators and whether it is paused.
  const std::tuple<int, int, bool> cases[] = {{ServerGame::kCountdown, 2, false},
                                              {ServerGame::kRunning, 2, false},
                                              {ServerGame::kRoundOver, 2, false},
                                              {ServerGame::kRunning, 0, true},
                                              {ServerGame::kRoundOver, 0, false}};
  for (const auto& [state, spectators, paused] : cases) {
    SCOPED_TRACE(::testing::Message() << state << (paused ? " paused" : "") << " spectators " << spectators);
    RunningGame f(2, false);
    f.Join(1, 2);
    f.Tick();
    if (state != ServerGame::kCountdown) f.Tick(), f.Go(1, 2), f.Tick();
    f.Join(3, 2 + spectators);
    if (state == ServerGame::kRoundOver) f.Record(2).x = 900, f.Tick(2);
    ASSERT_EQ(f.game.State(), state);
    if (paused) {
      f.Pause();
      int x = f.Record(1).x;
      f.Step();
      EXPECT_EQ(f.Record(1).x, x);  // frozen, but the state is still reported
      EXPECT_EQ(f.sent.To(2), (V{"MODE^8", "PAUSE^1"}));
    }
    f.game.HandleClosed(2);
    f.Step();
    EXPECT_EQ(f.game.State(), ServerGame::kWaiting);
    EXPECT_EQ(f.sent.To(1).back(), paused ? "PAUSE^1" : "PAUSE^0");
    EXPECT_EQ(f.Record(1).wins, 0);
    f.Step();
    EXPECT_EQ(f.game.State(), spectators ? ServerGame::kCountdown : ServerGame::kWaiting);
    for (const ClientRecord& r : f.game.Clients())
      EXPECT_TRUE(!spectators || (r.playing == 1 && r.points == 0));
  }
}

TEST(GameTick, OneSilentClientIsDroppedPerTick) {
  testing::GameFixture f;
  f.Join(1, 3);
  f.clock.Advance(30000);
  f.Message(2, "PING");
  f.game.RunTick();  // exactly 30000 ms: not yet
  EXPECT_EQ(f.game.Clients().Size(), 3u);
  for (ConnectionId dropped : {1, 3}) {
    f.clock.Advance(1), f.game.RunTick();
    EXPECT_EQ(f.game.Clients().Find(dropped), nullptr);
    EXPECT_EQ(f.game.Clients().Size(), dropped == 1 ? 2u : 1u);  // one per tick
  }
  EXPECT_EQ(f.sent.To(1).back(), "MODE^22");
}

}  // namespace
}  // namespace kb
