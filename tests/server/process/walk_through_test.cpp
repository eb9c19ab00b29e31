#include <gtest/gtest.h>
#include <signal.h>

#include <regex>

#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"

namespace kb {
namespace {

using testing::WireClient;
const char* serverBinary = nullptr;

// The server program, headless, its standard output read line by line.
testing::ChildProcess ServerProcess(std::vector<std::string> args) {
  args.insert(args.begin(), serverBinary);
  return testing::ChildProcess(std::move(args));
}

// B plays in a browser, through a proxy on this machine.
TEST(ServerProcess, TwoClientsPlayTheWalkThrough) {
  testing::ChildProcess server = ServerProcess(
      {"--headless", "--name", "Test Server", "--port", "0", "--trust-forwarded-for", "192.0.2.1,127.0.0.1"});
  std::smatch match;
  std::string status = server.ReadLine();
  ASSERT_TRUE(std::regex_match(status, match, std::regex("Name: Test Server Port: (\\d+) Spieler: 0")))
      << status;
  int port = std::stoi(match[1]);
  std::string players = "Name: Test Server Port: " + std::to_string(port) + " Spieler: ";
  WireClient a, b(testing::Wire::kWebSocket, "X-Forwarded-For: 203.0.113.9\r\n");
  std::string colour[2];
  for (WireClient* c : {&a, &b}) {
    ASSERT_TRUE(c->Connect(port) && c->Send("JOIN"));
    EXPECT_EQ(c->Next(), "MODE^10");
    colour[c == &b] = c->Next().value_or("").substr(6);
    EXPECT_EQ(c->Next(), "SERVER^Test%20Server");
    EXPECT_EQ(server.ReadLine(), players + (c == &a ? "1" : "2"));
    EXPECT_TRUE(c == &b || a.Next(300) == std::nullopt);  // alone: no game
  }
  // The next tick starts the game; countdown ticks bring TIME and a POINT per player.
  for (WireClient* c : {&a, &b}) {
    ASSERT_TRUE(c->WaitFor("CLEAR"));
    EXPECT_EQ(c->Next(), "SCORES^0/" + colour[0] + "/0|0/" + colour[1] + "/0");
    EXPECT_EQ(c->Next(), "MODE^7");
    EXPECT_EQ(c->Next(), "PAUSE^0");
    EXPECT_TRUE(c->Next().value_or("").starts_with("TIME^4"));
    for (const std::string& own : colour)
      EXPECT_TRUE(std::regex_match(c->Next().value_or(""), std::regex("POINT\\^\\d+\\^\\d+\\^" + own)));
  }
  ASSERT_TRUE(a.Send("GO") && b.Send("GO"));
  for (WireClient* c : {&a, &b}) ASSERT_TRUE(c->WaitFor("MODE^8"));
  // A circles tightly until it meets a trail; b sees both players' lines.
  bool lines[2] = {}, over = false;
  for (int i = 0; i < 400 && !over; ++i) {
    for (int k = 0; k < 4; ++k) a.Send("ANGLE", {"UP"});
    while (auto m = b.Next(20)) {
      for (int p : {0, 1}) lines[p] |= m->starts_with("LINE") && m->ends_with("^" + colour[p]);
      if ((over = *m == "MODE^9")) break;
    }
  }
  ASSERT_TRUE(over && lines[0] && lines[1]);
  EXPECT_EQ(b.Next(), "PAUSE^0");
  auto winner = b.Next();
  ASSERT_TRUE(winner && winner->starts_with("WINNER^"));
  ASSERT_TRUE(a.WaitFor(*winner));
  // Both ready: the next round begins.
  ASSERT_TRUE(a.Send("GO") && b.Send("GO"));
  for (WireClient* c : {&a, &b}) EXPECT_TRUE(c->WaitFor("CLEAR") && c->WaitFor("MODE^7"));
  // A leaves: B waits alone; SIGTERM tells B and closes.
  ASSERT_TRUE(a.Send("LEAVE"));
  EXPECT_TRUE(b.WaitFor("MODE^10"));
  EXPECT_EQ(server.ReadLine(), players + "1");
  EXPECT_EQ(server.Finish(SIGTERM), 0);
#ifdef _WIN32
  EXPECT_EQ(server.ReadLine(), "shutting down: stop file");  // how tests ask under wine
#else
  EXPECT_EQ(server.ReadLine(), "shutting down: SIGTERM");
#endif
  EXPECT_TRUE(b.WaitFor("MODE^21", 5000) && b.WaitClosed(5000));
}

TEST(ServerProcess, PortInUseAndBadOptionsEndTheProgram) {
  TcpListener taken;
  ASSERT_TRUE(taken.Open(0));
  EXPECT_EQ(ServerProcess({"--headless", "--name", "x", "--port", std::to_string(taken.Port())}).Finish(0),
            1);
  EXPECT_EQ(ServerProcess({"--headless", "--port", "70000", "--name", "x"}).Finish(0), 2);
  // Names that could break the framing or are no text (bytes that are no
  // UTF-8 never reach a Windows program: its command line is UTF-16), and
  // caps that make no sense.
  std::vector<std::string> names = {"Tab\there", "Stube\x04", "\x02"};
#ifndef _WIN32
  names.push_back("Caf\xE9");
#endif
  for (const std::string& name : names)
    EXPECT_EQ(ServerProcess({"--headless", "--port", "0", "--name", name}).Finish(0), 2) << name;
  for (const char* cap : {"0", "-3", "zehn", ""})
    EXPECT_EQ(ServerProcess({"--headless", "--port", "0", "--name", "x", "--max-clients", cap}).Finish(0), 2)
        << cap;
  for (const char* proxies : {"", "proxy.example.org", "127.0.0.1,", "127.0.0.1,,::1"})
    EXPECT_EQ(ServerProcess({"--headless", "--port", "0", "--name", "x", "--trust-forwarded-for", proxies})
                  .Finish(0),
              2)
        << proxies;
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
