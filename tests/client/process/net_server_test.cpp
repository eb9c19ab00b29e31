#include <gtest/gtest.h>

#include <thread>

#include "client/core/lan_search.h"
#include "common/platform/core/socket.h"
#include "tests/support/child_process.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

// test_environment.cpp sets the broadcast address before main; the server
// started here inherits it, so its answers stay on this machine.
const char* serverBinary = nullptr;

// The real server, headless on a free port, visible on the LAN, with a password.
struct Server : testing::ChildProcess {
  Server()
      : ChildProcess({serverBinary, "--headless", "--visible", "--name", "Sichtbar", "--port", "0", "--password",
                      "pw"}) {
    std::vector<std::string> match = Until("Port: (\\d+)", 1);
    if (!match.empty()) port = std::stoi(match[1]);
  }
  int port = 0;
};

// The servers' request port must be free for them, or held by sockets that share it. Other test programs on
// this machine hold it for a while; one that holds it alone for half a minute leaves nothing to test.
bool RequestPortUsable() {
  for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
    UdpSocket probe;
    if (probe.Open(kDiscoveryRequestPort)) return true;
  }
  return false;
}

TEST(LanSearchProcess, FindsAVisibleServerWithItsPortAndPassword) {
  InitNetwork();
  if (!RequestPortUsable()) KB_SKIP_OR_FAIL("UDP 667 is held by another program");
  Server server;
  ASSERT_GT(server.port, 0);
  ServerList list;
  SystemClock clock;
  LanSearch search(clock, {}, 2000);
  uint64_t token = list.Begin();
  while (!search.Step(list, token)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  int found = 0;
  for (const ServerListEntry& e : list.Entries())
    if (e.port == server.port && ++found)
      EXPECT_EQ(e.name + "|" + e.address + "|" + std::to_string(e.hasPassword), "Sichtbar|127.0.0.1|1");
  EXPECT_EQ(found, 1);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
