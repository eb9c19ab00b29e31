#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "client/core/lan_search.h"
#include "common/platform/core/socket.h"
#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

// test_environment.cpp sets the broadcast address before main; the server
// started here inherits it, so its answers stay on this machine.
const char* serverBinary = nullptr;

// The real server, headless on a free port; its first status line names the port.
class ServerProcess : public testing::ChildProcess {
 public:
  explicit ServerProcess(std::vector<std::string> args) : ChildProcess(WithBinary(std::move(args))) {
    std::vector<std::string> match = Until("Port: (\\d+) ", 1);
    if (!match.empty()) port_ = std::stoi(match[1]);
  }
  int Port() const { return port_; }

 private:
  static std::vector<std::string> WithBinary(std::vector<std::string> args) {
    args.insert(args.begin(), serverBinary);
    return args;
  }
  int port_ = 0;
};

// The entries of one full search on the real ports.
std::vector<ServerListEntry> SearchOnce() {
  ServerList list;
  SystemClock clock;
  LanSearch(
      list, list.Begin(), clock, [] { return true; }, {}, 2000);
  return list.Entries();
}

const ServerListEntry* Find(const std::vector<ServerListEntry>& entries, int port) {
  for (const ServerListEntry& e : entries)
    if (e.port == port) return &e;
  return nullptr;
}

// The servers' request port must be free for them, or held by sockets that
// share it. Other test programs on this machine hold it for a while; one that
// holds it alone for half a minute leaves nothing to test.
bool RequestPortUsable() {
  for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
    UdpSocket probe;
    if (probe.Open(kDiscoveryRequestPort)) return true;
  }
  return false;
}

TEST(LanSearchProcess, FindsAVisibleServerWithItsPortPlayersAndPassword) {
  InitNetwork();
  if (!RequestPortUsable()) KB_SKIP_OR_FAIL("UDP 667 is held by another program");
  ServerProcess server(
      {"--headless", "--visible", "--name", "Sichtbar Eins", "--password", "pw", "--port", "0"});
  ASSERT_GT(server.Port(), 0);
  auto entries = SearchOnce();
  const ServerListEntry* found = Find(entries, server.Port());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->name, "Sichtbar Eins");
  EXPECT_EQ(found->address, "127.0.0.1");
  EXPECT_EQ(found->players, 0);
  EXPECT_EQ(found->hasPassword, 1);
  // A client that has not given the password yet counts as well.
  testing::WireClient joined;
  ASSERT_TRUE(joined.Connect(server.Port()) && joined.Send("JOIN"));
  ASSERT_TRUE(
      joined.WaitFor([](const std::string& m) { return m.starts_with("MODE") && m.ends_with("19"); }));
  entries = SearchOnce();
  found = Find(entries, server.Port());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->players, 1);
  EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [&](auto& e) { return e.port == server.Port(); }),
            1);
}

TEST(LanSearchProcess, TwoServersOnOneMachineAreBothListed) {
  InitNetwork();
  if (!RequestPortUsable()) KB_SKIP_OR_FAIL("UDP 667 is held by another program");
  ServerProcess first({"--headless", "--visible", "--name", "Eins", "--port", "0"});
  // A name beyond ASCII arrives whole over the command line (UTF-16 on Windows).
  ServerProcess second({"--headless", "--visible", "--name", "Zw\xC3\xB6lf", "--port", "0"});
  ASSERT_GT(first.Port(), 0);
  ASSERT_GT(second.Port(), 0);
  auto entries = SearchOnce();
  const ServerListEntry* a = Find(entries, first.Port());
  const ServerListEntry* b = Find(entries, second.Port());
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->name, "Eins");
  EXPECT_EQ(b->name, "Zw\xF6lf");  // Latin-1 in the game
  EXPECT_EQ(a->address, b->address);
}

TEST(LanSearchProcess, AHiddenServerIsNotFound) {
  InitNetwork();
  if (!RequestPortUsable()) KB_SKIP_OR_FAIL("UDP 667 is held by another program");
  ServerProcess server({"--headless", "--name", "Versteckt", "--port", "0"});
  ASSERT_GT(server.Port(), 0);
  EXPECT_EQ(Find(SearchOnce(), server.Port()), nullptr);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
