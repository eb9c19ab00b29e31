#include <gtest/gtest.h>

#include "tests/client/harness.h"

namespace kb {
namespace {

struct Joined : NetClient {
  Joined() { Join(), Frame(); }
};

TEST(NetReceive, EveryKeywordActsOnItsFields) {
  Joined c;
  NetState& net = c.client.net;
  EXPECT_EQ(c.peer->Said(), Strings{"JOIN"});
  EXPECT_EQ(c.client.consoleLines.Snapshot().at(0).colour, kConsoleGreen);
  net.session.passwordText = "**";
  c.Arrive("SERVER", {"Mein%20Server%20%2020"});
  c.Arrive("COLOR", {65280});
  c.Arrive("MODE", {7});
  c.Arrive("CHAT", {"hallo", 255});
  c.Arrive("CHAT", {"da", 7});  // the newest line first, the one before it moves down
  c.Arrive("TIME", {-12});
  c.Arrive("WINNER", {16711680});
  c.Arrive("PAUSE", {1});
  c.Arrive("ADMIN", {"Spiel pausiert.", 255});
  c.Arrive("mode", {9});  // keywords are case-sensitive; unknown ones are ignored
  EXPECT_EQ(c.client.serverLabel, "Mein Server  20");
  EXPECT_EQ(net.session.ownColour, 65280u);
  EXPECT_EQ(c.Mode(), 7);
  EXPECT_EQ(net.session.passwordText, "");
  EXPECT_EQ(net.session.chatHistory[0].text + std::to_string(net.session.chatHistory[0].colour), "da7");
  EXPECT_EQ(net.session.chatHistory[1].text + std::to_string(net.session.chatHistory[1].colour), "hallo255");
  EXPECT_EQ(net.session.countdownMs, -12);
  EXPECT_EQ(c.client.round.winnerColour, 16711680u);
  EXPECT_EQ(net.session.serverPaused, 1);
  ConsoleLine admin = c.client.consoleLines.Snapshot().back();
  EXPECT_EQ(admin.text, "[SERVER] Spiel pausiert.");
  EXPECT_EQ(admin.colour, kConsoleRed);
  // Missing or non-numeric fields read as 0.
  c.Arrive("COLOR");
  c.Arrive("TIME", {"abc"});
  EXPECT_EQ(net.session.ownColour + net.session.countdownMs, 0u);
  // A countdown or game-over screen starts from its whole length, not from where the last one ended, until
  // its first TIME comes a tick later.
  c.Arrive("MODE", {9});
  c.Arrive("MODE", {7});
  EXPECT_EQ(net.session.countdownMs, 5000);
  c.Arrive("TIME", {3000});
  c.Arrive("MODE", {7});  // repeated every tick: the countdown runs on
  EXPECT_EQ(net.session.countdownMs, 3000);
  c.Arrive("TIME", {-3});
  c.Arrive("MODE", {18});
  EXPECT_EQ(net.session.countdownMs, 20000);
}

// Sounds follow the server: a mode that changes, a countdown's whole seconds, points a crash pays, chat. A mode
// repeated every tick, the first of a visit, and everything at volume 0 are silent, and the client says the same.
TEST(NetReceive, ServerEventsQueueTheirSounds) {
  using E = SoundEffect;
  auto scores = [](int points) { return std::to_string(points) + "\x05" "255\x05" "0\x03" "0\x05" "65280\x05" "0"; };
  std::vector<Strings> said;
  for (int volume : {kDefaultVolume, 0}) {
    Joined c;
    c.client.sound.volume = volume;
    std::vector<std::vector<E>> heard;
    auto arrive = [&](const std::string& keyword, std::initializer_list<Field> fields) {
      c.Arrive(keyword, fields), heard.push_back(TakeSounds(c.client.sound));
    };
    arrive("MODE", {10}), arrive("MODE", {7}), arrive("MODE", {7});
    for (int ms : {4990, 3999, 1001, 1000, -3}) arrive("TIME", {ms});
    arrive("MODE", {8}), arrive("SCORES", {scores(0)}), arrive("SCORES", {scores(1)}), arrive("CHAT", {"hi", 255});
    arrive("MODE", {9}), arrive("SCORES", {scores(2)}), arrive("MODE", {18});
    std::vector<std::vector<E>> expected = {{}, {E::kCountdownTick}, {}, {}, {E::kCountdownTick}, {E::kCountdownTick},
                                            {E::kCountdownTick}, {}, {E::kRoundStart}, {}, {E::kCrash}, {E::kChat},
                                            {E::kRoundWinner}, {}, {E::kGameWinner}};
    if (volume == 0) expected.assign(expected.size(), {});
    EXPECT_EQ(heard, expected) << volume;
    said.push_back(c.peer->Said());
  }
  EXPECT_EQ(said[0], said[1]);
}

TEST(NetReceive, ScoresRebuildTheListInOrder) {
  Joined c;
  std::pair<std::string, std::vector<int>> cases[] = {
      {"3\x05" "255\x05" "1\x03" "0\x05" "65280\x05" "0", {3, 255, 1, 0, 65280, 0}},  // NOLINT
      {"", {0, 0, 0}},  // an empty list still shows one entry
      {"7\x03", {7, 0, 0, 0, 0, 0}},
  };
  for (auto& [field, values] : cases) {
    c.Arrive("SCORES", {field});
    std::vector<int> got;
    for (const ScoreEntry& e : c.client.round.scoreList)
      got.insert(got.end(), {e.score, int(e.colour), e.wins});
    EXPECT_EQ(got, values) << field;
  }
}

TEST(NetReceive, MessagesInOrderAcrossReceives) {
  Joined c;
  c.client.round.trailImage.Clear(0x123456);
  // CLEAR, a LINE, and half a POINT whose rest comes with the next receive.
  std::string point = BuildMessage("POINT", {300, 200, 65280});
  c.peer->chunks = {
      BuildMessage("CLEAR") + BuildMessage("LINE", {100, 100, 110, 100, 255}) + point.substr(0, 8),
      point.substr(8) + BuildMessage("LINE", {295, 202, 306, 202, 16711680})};
  c.Frame();
  EXPECT_EQ(c.Trail(0, 0), 0u);
  EXPECT_EQ(c.Trail(105, 103), 255u);
  EXPECT_EQ(c.Trail(105, 104), 0u);
  EXPECT_EQ(c.Trail(300, 198), 65280u);
  EXPECT_EQ(c.Trail(300, 200), 16711680u) << "the later line covers the point";
  // A message holding a zero byte goes whole; its neighbours stay.
  c.peer->chunks = {BuildMessage("TIME", {1}) + "MODE\x02" + std::string(1, '\0') + "9\x04" +
                    BuildMessage("TIME", {2})};
  c.Frame();
  EXPECT_EQ(c.Mode(), 10);
  EXPECT_EQ(c.client.net.session.countdownMs, 2);
}

TEST(NetReceive, HostileValuesCostLittle) {
  Joined c;
  c.Arrive("LINE", {-2000000000, 5, 400, 5, 255});  // minutes of discs if drawn
  c.Arrive("LINE", {400, 5, 2000000000, 5, 255});
  c.Arrive("CHAT", {std::string(60000, 'x'), -1});
  c.Arrive("LINE", {-20, 300, 20, 300, 255});
  EXPECT_EQ(c.Trail(400, 5), 0u);
  EXPECT_EQ(c.Trail(10, 300), 255u) << "a segment from just off the field is drawn";
  EXPECT_LE(c.client.net.session.chatHistory[0].text.size(), 256u);
  EXPECT_EQ(c.client.net.session.chatHistory[0].colour, 0xFFFFFFu);
  // Thirty of the longest segments in one receive are drawn over several frames, none lost.
  std::string stream;
  for (int y = 10; y < 310; y += 10) stream += BuildMessage("LINE", {-1000, y, 1800, y, 255});
  c.peer->chunks = {stream}, c.Frame();
  EXPECT_TRUE(c.Trail(400, 10) == 255u && c.Trail(400, 300) == 0u);
  c.Frames(10);
  EXPECT_EQ(c.Trail(400, 300), 255u);
}

TEST(NetReceive, TheVisitEnds) {
  // The shutdown notice stays after the server closes; every other end shows the lost connection.
  struct Case { const char* what; std::function<void(Joined&)> act; int state; } cases[] = {  // clang-format off
      {"closed", [](Joined& c) { c.peer->closed = true; }, kStateConnectionLost},
      {"endless message", [](Joined& c) { c.peer->chunks.assign(9, std::string(8192, 'A')); }, kStateConnectionLost},
      {"dropped for silence", [](Joined& c) { c.peer->chunks = {BuildMessage("MODE", {22})}; }, kStateConnectionLost},
      {"stopped reading", [](Joined& c) { c.peer->failFlush = true; }, kStateConnectionLost},
      {"refused a send", [](Joined& c) { c.peer->failSend = true, SendToServer(c.client.net.session, "COLOR"); }, kStateConnectionLost},
      {"shut down", [](Joined& c) { c.peer->chunks = {BuildMessage("MODE", {21})}, c.peer->closed = true; },
       kStateNet}};  // clang-format on
  for (const Case& k : cases) {
    Joined c;
    k.act(c);
    c.Frames(2);
    EXPECT_EQ(c.State(), k.state) << k.what;
    EXPECT_TRUE(c.peer->destroyed) << k.what;
  }
}

TEST(NetReceive, ThirtySecondsOfSilenceEndTheVisit) {
  Joined c;
  int64_t last = c.client.net.session.lastReceive;
  c.clock.Set(last + 29990);
  c.Arrive("WHATEVER");  // any data counts as life
  c.clock.Set(last + 29990 + 30000);
  c.Frame();
  EXPECT_EQ(c.State(), kStateNet) << "exactly 30 s is not yet silence";
  c.clock.Advance(1);
  c.Frame();
  EXPECT_EQ(c.State(), kStateConnectionLost);
}

}  // namespace
}  // namespace kb
