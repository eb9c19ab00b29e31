#include <gtest/gtest.h>

#include "client/core/net_dispatch.h"
#include "tests/client/net_fixture.h"

namespace kb {
namespace {

const std::string kEnd(1, kMessageTerminator);
const std::string kSep(1, kFieldSeparator);

struct Received : NetClient {
  Received() {
    Join();
    peer->ClearSent();
  }
  Colour Trail(int x, int y) const { return client.round.trailImage.Pixel(x, y); }
  std::vector<ConsoleLine> Console() const { return client.console.lines.Snapshot(); }
};

TEST(NetReceive, JoinLeavesTheClientWaitingInNet) {
  Received c;
  EXPECT_EQ(c.opened, (std::vector<std::string>{"10.0.0.1:666"}));
  EXPECT_EQ(c.State(), kStateNet);
  EXPECT_EQ(c.Mode(), 10);
  c.LockedFrame();
  auto lines = c.Console();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "Erfolgreich mit Server 10.0.0.1 auf port 666 verbunden.");
  EXPECT_EQ(lines[0].colour, kConsoleGreen);
}

TEST(NetReceive, EachKeywordActsOnItsValue) {
  Received c;
  c.client.net.passwordText = "geheim";
  c.client.net.passwordMask = "******";
  c.Receive("SERVER", {"Mein%20Server%20%2020"});
  c.Receive("COLOR", {65280});
  c.Receive("MODE", {7});
  c.Receive("CHAT", {"hallo", 255});
  c.Receive("TIME", {-12});
  c.Receive("WINNER", {16711680});
  c.Receive("PAUSE", {1});
  c.Receive("ADMIN", {"Spiel pausiert.", 65280});
  c.Receive("PONG");
  c.Receive("NOSUCH", {"1"});
  c.Receive("mode", {9});  // keywords are case-sensitive
  for (int i = 0; i < 11; ++i) c.LockedFrame();
  NetState& net = c.client.net;
  EXPECT_EQ(c.client.serverLabel, "Mein Server  20");
  EXPECT_EQ(net.ownColour, 65280u);
  EXPECT_EQ(c.Mode(), 7);
  EXPECT_EQ(net.passwordText + net.passwordMask, "");
  EXPECT_EQ(net.chatHistory[0].text, "hallo");
  EXPECT_EQ(net.chatHistory[0].colour, 255u);
  EXPECT_EQ(net.countdownMs, -12);
  EXPECT_EQ(c.client.round.winnerColour, 16711680u);
  EXPECT_EQ(net.serverPaused, 1);
  auto lines = c.Console();
  EXPECT_EQ(lines.back().text, "[SERVER] Spiel pausiert.");
  EXPECT_EQ(lines.back().colour, kConsoleGreen);
  EXPECT_EQ(c.State(), kStateNet);
}

TEST(NetReceive, DrawingMessagesInOrder) {
  Received c;
  c.client.round.trailImage.Clear(0x123456);
  // CLEAR, LINE and a POINT, then a LINE that runs over the point's place.
  c.peer->Arrive(BuildMessage("CLEAR") + BuildMessage("LINE", {100, 100, 110, 100, 255}) +
                 BuildMessage("POINT", {300, 200, 65280}) +
                 BuildMessage("LINE", {295, 200, 306, 200, 16711680}));
  c.LockedFrame();
  EXPECT_EQ(c.Trail(0, 0), 0u);
  EXPECT_EQ(c.Trail(105, 100), 255u);
  EXPECT_EQ(c.Trail(105, 103), 255u);  // radius 3
  EXPECT_EQ(c.Trail(105, 104), 0u);
  EXPECT_EQ(c.Trail(300, 200), 16711680u) << "the later line covers the earlier point";
  EXPECT_EQ(c.Trail(300, 197), 16711680u);
}

TEST(NetReceive, AMessageSplitAcrossReceivesIsCompletedByTheNext) {
  Received c;
  std::string point = BuildMessage("POINT", {50, 60, 255});
  c.peer->Arrive(BuildMessage("CLEAR") + BuildMessage("LINE", {10, 10, 20, 10, 65280}) + point.substr(0, 6));
  c.LockedFrame();
  EXPECT_EQ(c.Trail(15, 10), 65280u);
  EXPECT_EQ(c.Trail(50, 60), 0u);
  c.peer->Arrive(point.substr(6) + BuildMessage("MODE", {8}));
  c.LockedFrame();
  EXPECT_EQ(c.Trail(50, 60), 255u);
  EXPECT_EQ(c.Mode(), 8);
}

TEST(NetReceive, AMessageWithAZeroByteIsDroppedWhole) {
  Received c;
  c.peer->Arrive(BuildMessage("COLOR", {255}) + "MODE" + kSep + "9" + std::string(1, '\0') + "1" + kEnd +
                 BuildMessage("TIME", {3000}));
  c.LockedFrame();
  EXPECT_EQ(c.client.net.ownColour, 255u);
  EXPECT_EQ(c.Mode(), 10);
  EXPECT_EQ(c.client.net.countdownMs, 3000);
}

TEST(NetReceive, ScoresRebuildTheListInOrder) {
  Received c;
  std::vector<ScoreEntry>& list = c.client.round.scoreList;
  list.assign(3, ScoreEntry{9, 9, 9});
  std::string two =
      "3\x05"
      "255\x05"
      "1\x03"
      "0\x05"
      "65280\x05"
      "0";
  struct Case {
    std::string field;
    std::vector<int> values;  // score, colour, wins per entry
  } cases[] = {
      {two, {3, 255, 1, 0, 65280, 0}},
      {"", {0, 0, 0}},   // an empty list still shows one entry
      {"7", {7, 0, 0}},  // missing values read as 0
      {"x\x05y\x05z\x03", {0, 0, 0, 0, 0, 0}},
  };
  for (const Case& k : cases) {
    c.Receive("SCORES", {k.field});
    c.LockedFrame();
    std::vector<int> got;
    for (const ScoreEntry& e : list) got.insert(got.end(), {e.score, static_cast<int>(e.colour), e.wins});
    EXPECT_EQ(got, k.values) << k.field;
  }
}

TEST(NetReceive, MissingAndBadFieldsReadAsZero) {
  Received c;
  c.client.net.ownColour = 77;
  c.client.round.trailImage.Clear(0);
  c.Receive("COLOR");
  c.Receive("TIME", {"abc"});
  c.Receive("POINT", {5});  // y and colour missing: a black disc at (5, 0)
  c.Receive("MODE", {" -4x"});
  for (int i = 0; i < 4; ++i) c.LockedFrame();
  EXPECT_EQ(c.client.net.ownColour, 0u);
  EXPECT_EQ(c.client.net.countdownMs, 0);
  EXPECT_EQ(c.Mode(), -4);
  EXPECT_EQ(c.State(), kStateNet);
}

TEST(NetReceive, HostileValuesCostLittle) {
  Received c;
  // A segment billions of pixels long would take minutes to draw.
  c.Receive("LINE", {-2000000000, 5, 2000000000, 5, 255});
  c.Receive("CHAT", {std::string(60000, 'x'), -1});
  c.LockedFrame();
  c.LockedFrame();
  EXPECT_EQ(c.Trail(400, 5), 0u);
  EXPECT_LE(c.client.net.chatHistory[0].text.size(), 256u);
  EXPECT_EQ(c.client.net.chatHistory[0].colour, 0xFFFFFFu);
  // A segment that starts off the field but near it is still drawn.
  c.Receive("LINE", {-20, 300, 20, 300, 255});
  c.LockedFrame();
  EXPECT_EQ(c.Trail(10, 300), 255u);
}

TEST(NetReceive, AClosedConnectionEndsTheVisitAtOnce) {
  Received c;
  c.Receive("MODE", {8});
  c.peer->closed = true;
  c.LockedFrame();
  EXPECT_EQ(c.Mode(), 8) << "what arrived before the close still counts";
  EXPECT_EQ(c.State(), kStateConnectionLost);
  EXPECT_TRUE(c.peer->destroyed);
  EXPECT_EQ(c.client.net.link, nullptr);
}

TEST(NetReceive, AnEndlessMessageBreaksTheConnection) {
  Received c;
  for (int i = 0; i < 9; ++i) c.peer->Arrive(std::string(8192, 'A'));
  for (int i = 0; i < 3 && c.State() == kStateNet; ++i) c.LockedFrame();
  EXPECT_EQ(c.State(), kStateConnectionLost);
  EXPECT_TRUE(c.peer->destroyed);
}

TEST(NetReceive, ThirtySecondsOfSilenceEndTheVisit) {
  Received c;
  c.LockedFrame();
  int64_t last = c.client.net.lastReceive;
  c.clock.Set(last + 29990);
  c.Receive("WHATEVER");  // any data, even unknown, counts as life
  c.LockedFrame();
  EXPECT_EQ(c.client.net.lastReceive, last + 29990);
  c.clock.Set(last + 29990 + 30000);
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateNet) << "exactly 30 s is not yet silence";
  c.clock.Advance(1);
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateConnectionLost);
  EXPECT_TRUE(c.peer->destroyed);
}

TEST(NetReceive, AServerShuttingDownKeepsItsNoticeAfterClosing) {
  Received c;
  c.Receive("MODE", {21});
  c.peer->closed = true;
  c.LockedFrame();
  c.clock.Advance(40000);
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateNet);
  EXPECT_EQ(c.Mode(), 21);
  EXPECT_TRUE(c.peer->destroyed);
  c.Tap(scan::kSpace);
  EXPECT_EQ(c.State(), kStateNetChoose);
}

TEST(NetReceive, TheServerDroppingTheClientEndsTheVisit) {
  Received c;
  c.Receive("MODE", {22});
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateConnectionLost);
  EXPECT_TRUE(c.peer->destroyed);
}

}  // namespace
}  // namespace kb
