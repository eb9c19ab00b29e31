#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "client/core/network_hooks.h"
#include "tests/client/spine_harness.h"
#include "tests/support/child_process.h"

namespace kb {
namespace {

const char* serverBinary = nullptr;

// The real server, headless on a free port, with a password.
struct Server : testing::ChildProcess {
  Server() : ChildProcess({serverBinary, "--headless", "--name", "T", "--port", "0", "--password", "pw"}) {
    std::vector<std::string> match = Until("Port: (\\d+)", 1);
    if (!match.empty()) port = std::stoi(match[1]);
  }
  int port = 0;
};

// The client's own code over real sockets, with fake keys; each frame waits
// a real millisecond or two so the server can answer. Every wait is bounded.
struct RealClient : SpineClient {
  bool FramesUntil(const std::function<bool()>& test, int frames = 2500) {
    for (int i = 0; i < frames; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
      std::lock_guard lock(client.stateLock);
      Frame();
      if (test()) return true;
    }
    return false;
  }
  bool ModeBecomes(int mode) {
    return FramesUntil([&] { return client.net.netMode == mode; });
  }
  void Connect(int port) {
    client.serverAddress = "127.0.0.1", client.serverPort = port;
    std::lock_guard lock(client.stateLock);
    ConnectFromScreen(client);
  }
  void Key(int scanCode, bool down) {
    input.SetKey(scanCode, down);
    FramesUntil([] { return false; }, 3);
  }
  void Password(const char* text) {
    for (const char* p = text; *p; ++p) {
      input.MapChar(*p, *p);
      input.SetVirtualKey(*p, true), input.SetVirtualKey(*p, false);
      FramesUntil([] { return false; }, 2);
    }
    Key(scan::kEnter, true);
  }
};

TEST(NetWithRealServer, WrongPasswordRightPasswordAndShutdown) {
  Server server;
  ASSERT_GT(server.port, 0);
  RealClient c;
  c.Connect(server.port);
  ASSERT_TRUE(c.ModeBecomes(19));
  EXPECT_EQ(c.client.serverLabel, "T");
  c.Password("px");
  ASSERT_TRUE(c.ModeBecomes(20));
  c.Key(scan::kEnter, false);
  c.Key(scan::kEnter, true);
  EXPECT_EQ(c.State(), kStateNetChoose);
  EXPECT_EQ(c.client.net.link, nullptr);
  c.Key(scan::kEnter, false);

  c.Connect(server.port);
  ASSERT_TRUE(c.ModeBecomes(19));
  c.Password("pw");
  ASSERT_TRUE(c.ModeBecomes(10));
  c.Key(scan::kEnter, false);
  // SIGTERM: the notice stays after the server closed the connection.
  server.Signal(SIGTERM);
  ASSERT_TRUE(c.ModeBecomes(21));
  ASSERT_TRUE(c.FramesUntil([&] { return c.client.net.link == nullptr; }));
  EXPECT_EQ(c.State(), kStateNet);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
