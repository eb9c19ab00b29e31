#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "client/core/network_hooks.h"
#include "common/net/protocol.h"
#include "tests/client/spine_harness.h"
#include "tests/support/server_process.h"

namespace kb {
namespace {

using testing::ServerProcess;
const char* serverBinary = nullptr;

// The client's own code over real sockets, driven frame by frame with fake
// keys; frames wait a real millisecond so the server can answer.
struct RealClient : SpineClient {
  void Connect(int port) {
    client.serverAddress = "127.0.0.1";
    client.serverPort = port;
    {
      std::lock_guard lock(client.stateLock);
      ConnectFromScreen(client);
    }
    client.net.tasks.JoinAll(false);
  }
  // Frames until the test holds, at most about 5 s.
  bool FramesUntil(const std::function<bool()>& test) {
    for (int i = 0; i < 2500; ++i) {
      {
        std::lock_guard lock(client.stateLock);
        Frame();
      }
      if (test()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }
  bool ModeBecomes(int mode) {
    return FramesUntil([&] { return client.net.netMode == mode; });
  }
  void TypePassword(const std::string& text) {
    for (char ch : text) {
      input.MapChar(ch, ch);
      input.SetVirtualKey(ch, true);
      FramesUntil([] { return true; });
      input.SetVirtualKey(ch, false);
      FramesUntil([] { return true; });
    }
  }
  void HoldEnter(bool down) {
    input.SetKey(scan::kEnter, down);
    FramesUntil([] { return true; });
  }
};

int StartedPort(ServerProcess& server) {
  std::smatch match;
  std::string status = server.ReadLine();
  if (!std::regex_match(status, match, std::regex("Name: T Port: (\\d+) Spieler: 0"))) return 0;
  return std::stoi(match[1]);
}

TEST(NetWithRealServer, WrongPasswordThenTheRightOne) {
  ServerProcess server(serverBinary, {"--headless", "--name", "T", "--port", "0", "--password", "pw"});
  int port = StartedPort(server);
  ASSERT_GT(port, 0);
  RealClient c;
  c.Connect(port);
  ASSERT_TRUE(c.ModeBecomes(19));
  EXPECT_EQ(c.client.serverLabel, "T");
  c.TypePassword("px");
  c.HoldEnter(true);
  ASSERT_TRUE(c.ModeBecomes(20));
  EXPECT_EQ(c.client.net.passwordText, "");
  c.HoldEnter(false);
  EXPECT_EQ(c.State(), kStateNet) << "the wrong-password notice is shown";
  c.HoldEnter(true);
  EXPECT_EQ(c.State(), kStateNetChoose);
  EXPECT_EQ(c.client.net.link, nullptr);
  c.HoldEnter(false);

  c.Connect(port);
  ASSERT_TRUE(c.ModeBecomes(19));
  c.TypePassword("pw");
  c.HoldEnter(true);
  ASSERT_TRUE(c.ModeBecomes(10));
  c.HoldEnter(false);
  // The first, refused visit holds no record: one player plays.
  EXPECT_EQ(server.ReadLine(), "Name: T Port: " + std::to_string(port) + " Spieler: 1");
}

TEST(NetWithRealServer, ShutdownIsShownThenSpaceLeaves) {
  ServerProcess server(serverBinary, {"--headless", "--name", "T", "--port", "0"});
  int port = StartedPort(server);
  ASSERT_GT(port, 0);
  RealClient c;
  c.Connect(port);
  ASSERT_TRUE(c.ModeBecomes(10));
  server.Terminate();
  ASSERT_TRUE(c.ModeBecomes(21));
  ASSERT_TRUE(c.FramesUntil([&] { return c.client.net.link == nullptr; }));
  EXPECT_EQ(c.State(), kStateNet);
  c.Tap(scan::kSpace);
  EXPECT_EQ(c.State(), kStateNetChoose);
  EXPECT_EQ(server.Finish(false), 0);
}

TEST(NetWithRealServer, AServerKilledWithoutAWordIsLostAtOnce) {
  ServerProcess server(serverBinary, {"--headless", "--name", "T", "--port", "0"});
  int port = StartedPort(server);
  ASSERT_GT(port, 0);
  RealClient c;
  c.Connect(port);
  ASSERT_TRUE(c.ModeBecomes(10));
  server.Kill();  // the socket closes without MODE 21
  ASSERT_TRUE(c.FramesUntil([&] { return c.State() == kStateConnectionLost; }));
  EXPECT_LT(c.clock.Now() - c.client.net.lastReceive, kSilenceTimeout);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
