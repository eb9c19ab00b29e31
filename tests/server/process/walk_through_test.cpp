#include <gtest/gtest.h>
#include <signal.h>

#include <regex>

#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"

namespace kb {
namespace {

using testing::WireClient;
const char* serverBinary = nullptr;

testing::ChildProcess ServerProcess(std::vector<std::string> args) {
  args.insert(args.begin(), serverBinary);
  return testing::ChildProcess(std::move(args));
}

// Start-up on a free port, one round over the real socket (B plays in a
// browser, through a proxy on this machine) and the stop by signal.
TEST(ServerProcess, TwoClientsPlayARoundAndSigtermEndsIt) {
  testing::ChildProcess server = ServerProcess(
      {"--headless", "--name", "Test Server", "--port", "0", "--trust-forwarded-for", "192.0.2.1,127.0.0.1"});
  std::smatch match;
  std::string status = server.ReadLine();
  ASSERT_TRUE(std::regex_match(status, match, std::regex("Name: Test Server Port: (\\d+) Spieler: 0")))
      << status;
  int port = std::stoi(match[1]);
  std::string players = "Name: Test Server Port: " + std::to_string(port) + " Spieler: ";
  WireClient a, b(testing::Wire::kWebSocket, "X-Forwarded-For: 203.0.113.9\r\n");
  for (WireClient* c : {&a, &b}) {
    ASSERT_TRUE(c->Connect(port) && c->Send("JOIN") && c->WaitFor("SERVER^Test%20Server"));
    EXPECT_EQ(server.ReadLine(), players + (c == &a ? "1" : "2"));
  }
  for (WireClient* c : {&a, &b}) ASSERT_TRUE(c->WaitFor("MODE^7") && c->Send("GO"));
  for (WireClient* c : {&a, &b}) ASSERT_TRUE(c->WaitFor("MODE^8"));
  // A circles tightly until it meets a trail; b sees lines and the round's end.
  bool lines = false, over = false;
  for (int i = 0; i < 400 && !over; ++i) {
    for (int k = 0; k < 4; ++k) a.Send("ANGLE", {"UP"});
    while (auto m = b.Next(20)) {
      lines |= m->starts_with("LINE");
      if ((over = *m == "MODE^9")) break;
    }
  }
  ASSERT_TRUE(over && lines);
  auto winner = b.WaitForPrefix("WINNER^");
  ASSERT_TRUE(winner && a.WaitFor(*winner));
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

// A taken port ends the program with 1, options it cannot use with 2: a name the server refuses (its rules
// are the server name's unit test), caps that make no sense, proxy lists that are no addresses.
TEST(ServerProcess, PortInUseAndBadOptionsEndTheProgram) {
  TcpListener taken;
  ASSERT_TRUE(taken.Open(0));
  const std::vector<std::vector<std::string>> bad = {
      {"--port", "70000"},    {"--name", "Stube\x04"},      {"--max-clients", "0"},
      {"--max-clients", "zehn"}, {"--trust-forwarded-for", "proxy.example.org"}, {"--trust-forwarded-for", "127.0.0.1,"}};
  EXPECT_EQ(ServerProcess({"--headless", "--name", "x", "--port", std::to_string(taken.Port())}).Finish(0), 1);
  for (std::vector<std::string> args : bad) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    args.insert(args.begin(), {"--headless", "--port", "0", "--name", "x"});
    EXPECT_EQ(ServerProcess(args).Finish(0), 2);
  }
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
