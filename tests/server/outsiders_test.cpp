#include <gtest/gtest.h>

#include <regex>

#include "server/server_settings.h"
#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;
using V = std::vector<std::string>;

// A protected server: 1 and 2 gave the password, 3 did not.
struct ProtectedGame : GameFixture {
  ProtectedGame() {
    settings.passwordBox = true, settings.password = "geheim";
    Join(1, 3);
    Message(1, "PASS", {"Geheim"});
    Message(1, "PASS", {"geheim"});
    Message(2, "PASS", {"geheim"});
  }
};

// One that has not given the password counts for nothing, hears only the
// answers to its own messages and, let in while a game runs, watches.
TEST(Outsiders, AStrangerHearsOnlyTheAnswersToItsOwnMessages) {
  ProtectedGame f;
  EXPECT_EQ(f.sent.To(1),
            (V{"MODE^19", "SERVER^Test%20Server", "MODE^20", "MODE^10", "COLOR^" + f.ColourOf(1)}));
  Colour colour = f.Record(3).colour;
  f.Tick(2);  // the game starts and the players are placed
  ASSERT_EQ(f.game.State(), ServerGame::kCountdown);
  EXPECT_EQ(f.game.TargetScore(), 10);
  f.Go(1, 2);  // the stranger's readiness is not waited for
  for (const char* k : {"GO", "COLOR", "CHAT", "ANGLE"}) f.Message(3, k, {"UP"});
  f.Message(1, "CHAT", {"hallo"});
  std::string chat = "CHAT^hallo^" + f.ColourOf(1);
  f.Message(1, "COLOR");
  f.Tick();
  EXPECT_EQ(f.game.State(), ServerGame::kRunning);
  f.Record(2).x = 900;  // the round ends: LINE, SCORES, WINNER go out
  f.Tick(3);
  EXPECT_EQ(f.game.State(), ServerGame::kRoundOver);
  f.Message(3, "PING");
  f.Message(3, "ADMIN", {"HIDE"});
  EXPECT_EQ(f.sent.To(3),
            (V{"MODE^19", "SERVER^Test%20Server", "PONG", "ADMIN^Du bist nicht eingeloggt.^255"}));
  EXPECT_TRUE(f.Record(3).colour == colour && f.Record(3).heading == 0) << "a stranger's COLOR, ANGLE";
  for (ConnectionId c : {1, 2})
    for (const std::string& m : f.sent.To(c)) EXPECT_NE(m, "CHAT^UP^" + std::to_string(colour));
  V to2 = f.sent.To(2);
  EXPECT_EQ(std::count(to2.begin(), to2.end(), chat), 1);
  EXPECT_EQ(f.Record(3).playing, 0);
  f.sent.log.clear();
  f.Message(3, "PASS", {"geheim"});
  EXPECT_EQ(f.sent.To(3).at(0), "MODE^6");
  EXPECT_EQ(f.Record(3).playing, 0);
}

// Protection switched on mid-game (by the operator or SETPASS) keeps those
// already there: their PASS needs no answer, the round runs on.
TEST(Outsiders, ProtectionSwitchedOnMidGameKeepsThoseAlreadyThere) {
  GameFixture f;
  f.Join(1, 3);
  f.Tick(2), f.Go(1, 3), f.Tick();
  ASSERT_EQ(f.game.State(), ServerGame::kRunning);
  f.settings.passwordBox = true;  // with an empty password: not protected
  f.Join(5, 5);
  EXPECT_EQ(f.sent.To(5).at(0), "MODE^6");
  f.settings.password = "geheim";
  f.Join(4, 4);
  EXPECT_EQ(f.sent.To(4).at(0), "MODE^19");
  f.sent.log.clear();
  f.Message(2, "PASS", {"geheim"});
  f.Message(2, "PASS", {"falsch"});
  EXPECT_TRUE(f.sent.log.empty());
  f.Step();
  EXPECT_EQ(f.game.State(), ServerGame::kRunning);
  V to2 = f.sent.To(2);
  EXPECT_EQ(std::count_if(to2.begin(), to2.end(), [](auto& m) { return m.starts_with("LINE"); }), 3);
  EXPECT_TRUE(f.sent.To(4).empty());
}

// Both passwords are "geheim"; each kind of guess is counted apart.
TEST(Outsiders, GuessesAreThrottledPerAddressForAMinute) {
  const struct Case { const char *keyword, *prefix; V right, wrong; } cases[] = {
      {"PASS", "", {"MODE^10", "COLOR"}, {"MODE^20"}},
      {"ADMIN", "LOGIN ", {"ADMIN^Du hast dich erfolgreich eingeloggt.^65280"},
       {"ADMIN^Das angegebene Passwort ist falsch.^255"}},
  };
  // Over IPv6 connections 1 to 8 come from one /64, each from an address of
  // its own, and every other address is a /64 of its own.
  for (bool v6 : {false, true})
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keyword) + (v6 ? " IPv6" : " IPv4"));
    GameFixture f;
    f.settings.passwordBox = true, f.settings.password = f.settings.adminPassword = "geheim";
    auto place = [&](ConnectionId id, const std::string& v4) {
      f.sent.addresses[id] = v6 ? "2001:db8:" + std::to_string(id) + "::1" : v4;
    };
    for (ConnectionId id = 1; v6 && id <= 8; ++id) f.sent.addresses[id] = "2001:db8:7:7::" + std::to_string(id);
    place(9, "192.0.2.9");
    auto answer = [&](ConnectionId from, const char* pw, const Case& kind) {
      f.Message(from, "JOIN"), f.sent.log.clear();
      f.Message(from, kind.keyword, {kind.prefix + std::string(pw)});
      V got = f.sent.To(from);
      if (!got.empty() && got.back().starts_with("COLOR")) got.back() = "COLOR";
      return got;
    };
    for (int i = 0; i < 5; ++i) EXPECT_EQ(answer(1, "rate", c), c.wrong) << i;
    EXPECT_EQ(answer(1, "geheim", c), c.wrong);  // refused unread
    f.Message(1, "LEAVE");
    EXPECT_EQ(answer(2, "geheim", c), c.wrong);  // a new connection from there too
    EXPECT_EQ(answer(9, "geheim", c), c.right);  // another address is not hindered
    f.clock.Advance(GuessGuard::kWindow - 1);
    EXPECT_EQ(answer(3, "geheim", c), c.wrong);
    f.clock.Advance(1);
    EXPECT_EQ(answer(3, "geheim", c), c.right);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(answer(4, "rate", c), c.wrong);  // the next window counts anew
    EXPECT_EQ(answer(5, "geheim", c), c.wrong);
    // Many addresses together: after 20 wrong guesses within a window from anywhere, an address that
    // guessed wrong waits until the window is over; one that has not been guessing gets in.
    for (int a = 10; a < 14; ++a) {
      place(a, "198.51.100." + std::to_string(a));
      for (int i = 0; i < 5; ++i) EXPECT_EQ(answer(a, "rate", c), c.wrong) << a;
    }
    place(20, "203.0.113.20"), place(22, "203.0.113.22");
    EXPECT_EQ(answer(20, "rate", c), c.wrong);
    EXPECT_EQ(answer(20, "geheim", c), c.wrong);
    EXPECT_EQ(answer(22, "geheim", c), c.right);
    f.clock.Advance(GuessGuard::kWindow);
    EXPECT_EQ(answer(20, "geheim", c), c.right);
    // Wrong guesses of one password leave the other one free.
    place(21, "203.0.113.21");
    for (int i = 0; i < 5; ++i) answer(21, "rate", c);
    const Case& other = cases[&c == &cases[0] ? 1 : 0];
    EXPECT_EQ(answer(21, "geheim", other), other.right);
  }
}

// Each sender's chat is paced and cut, without control bytes; however many
// members chat, each one receives a bounded number of lines.
TEST(Outsiders, RecordCapAndChatPaceLengthAndServerWideBound) {
  GameFixture f;
  f.settings.maxClients = 2;
  f.Join(1, 3);
  EXPECT_EQ(f.game.Clients().Size(), 2u);
  EXPECT_TRUE(f.sent.To(3).empty());
  f.sent.log.clear();
  for (int i = 0; i < 10; ++i) f.Message(1, "CHAT", {std::to_string(i)});
  f.clock.Advance(250);
  f.Message(1, "CHAT", {"later"});
  f.Message(1, "CHAT", {"too soon"});
  std::string c = "^" + f.ColourOf(1);
  EXPECT_EQ(f.sent.To(2), (V{"CHAT^0" + c, "CHAT^1" + c, "CHAT^2" + c, "CHAT^3" + c, "CHAT^later" + c}));
  // Cut to the longest chat; control bytes are not relayed.
  const std::pair<std::string, std::string> texts[] = {
      {std::string(1000, 'y'), std::string(ServerGame::kMaxChatLength, 'y')},
      {"a\x01" "b\x7F" "c\x1B[2J", "abc[2J"}};
  for (const auto& [text, relayed] : texts) {
    f.clock.Advance(1000);
    f.sent.log.clear();
    f.Message(1, "CHAT", {text});
    EXPECT_EQ(f.sent.To(2), (V{"CHAT^" + relayed + c}));
  }
  f.settings.maxClients = 40;
  f.Join(3, 40);
  for (int second = 0; second < 3; ++second) {
    f.sent.log.clear();
    for (int step = 0; step < 4; ++step) {
      for (int id = 2; id <= 40; ++id) f.Message(id, "CHAT", {"storm"});
      f.clock.Advance(250);
    }
    size_t got = f.sent.To(1).size(), interval = ServerGame::kChatRelayInterval;
    EXPECT_TRUE(got <= 1000 / interval + ServerGame::kChatRelayBurst && got >= 1000 / interval - 1) << got;
  }
}

// The LAN answer: only to the exact request (up to a zero byte, like the
// receive), only while visible, counting every record, at most 20 a second.
TEST(Outsiders, DiscoveryAnswers) {
  GameFixture f;
  f.Join(1, 2);
  f.settings.passwordBox = true, f.settings.password = "p";
  EXPECT_FALSE(f.game.AnswerDiscovery("KRINGELBAHN CLIENT"));  // hidden at start
  f.settings.hidden = false;
  // The id lets a client that asked over both families list the server once; each server start has its own.
  std::string answer = testing::Readable(f.game.AnswerDiscovery("KRINGELBAHN CLIENT").value_or(""));
  EXPECT_TRUE(std::regex_match(answer, std::regex("KRINGELBAHN SERVER\\^Test%20Server\\^666\\^2\\^1\\^[0-9a-f]{16}")))
      << answer;
  EXPECT_EQ(testing::Readable(*f.game.AnswerDiscovery(std::string("KRINGELBAHN CLIENT\0junk", 23))), answer);
  GameFixture other;
  other.settings.hidden = false;
  EXPECT_NE(testing::Readable(*other.game.AnswerDiscovery("KRINGELBAHN CLIENT")).substr(answer.size() - 16),
            answer.substr(answer.size() - 16));
  for (const char* wrong : {"KRINGELBAHN CLIENT ", "kringelbahn client"})
    EXPECT_FALSE(f.game.AnswerDiscovery(wrong)) << wrong;
  f.clock.Advance(1000);
  for (int second = 0; second < 2; ++second) {
    int answers = 0;
    for (int i = 0; i < 200; ++i) answers += f.game.AnswerDiscovery("KRINGELBAHN CLIENT") ? 1 : 0;
    EXPECT_EQ(answers, 20) << second;
    f.clock.Advance(1000);
  }
}

// UTF-8 text without control bytes that fits the Internet list: 64 Latin-1
// bytes (an é is one), no end marker.
TEST(Outsiders, ServerNamesMustBeTextWithoutControlBytes) {
  for (const std::string& name : {std::string("Caf\xC3\xA9 \xE2\x82\xAC"), std::string(64, 'x'),
                                   std::string(63, 'x') + "\xC3\xA9"})
    EXPECT_EQ(ServerNameProblem(name), "") << name;
  for (const std::string& name :
       {std::string(), std::string("Tab\there"), std::string("a\0b", 3), std::string("Caf\xE9"),
        std::string("\xC0\xA0"), std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80"),
        std::string("\xE2\x82"), std::string(65, 'x'), std::string("Kaffee\x7F"), std::string("a[/data]b")})
    EXPECT_NE(ServerNameProblem(name), "") << name;
}

}  // namespace
}  // namespace kb
