#include "client/core/server_link.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/net/protocol.h"
#include "common/platform/core/socket.h"

namespace kb {
namespace {

// A real loopback peer that accepts and then never reads: the client's link
// must report it broken once its queue passes the bound, never block.
TEST(ServerLink, AServerThatStopsReadingBreaksTheLinkInsteadOfStallingIt) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  auto link = OpenTcpServerLink("127.0.0.1", listener.Port());
  ASSERT_NE(link, nullptr);
  std::unique_ptr<TcpConnection> peer;
  for (int i = 0; i < 500 && !peer; ++i) {
    listener.Accept(&peer);
    if (!peer) usleep(2000);
  }
  ASSERT_NE(peer, nullptr);
  std::string chat = BuildMessage(Keyword::kChat, {std::string(1000, 'x')});
  bool broken = false;
  // Kernel buffers take a few megabytes first; 64 MB is far beyond them.
  for (int i = 0; i < 64 * 1024 && !broken; ++i) broken = !link->Send(chat) || !link->Flush();
  EXPECT_TRUE(broken);
  char buffer[16];
  EXPECT_EQ(link->Receive(buffer, sizeof buffer), 0) << "nothing arrived, and the call did not wait";
}

TEST(ServerLink, HostNamesAndRefusedPorts) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  EXPECT_NE(OpenTcpServerLink("localhost", listener.Port()), nullptr);
  int closedPort = listener.Port();
  listener.Close();
  EXPECT_EQ(OpenTcpServerLink("127.0.0.1", closedPort), nullptr);
  EXPECT_EQ(OpenTcpServerLink("127.0.0.1", 0), nullptr);
}

TEST(ServerLink, WholeMessagesArriveInOrderAfterAFlush) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  auto link = OpenTcpServerLink("127.0.0.1", listener.Port());
  ASSERT_NE(link, nullptr);
  std::unique_ptr<TcpConnection> peer;
  for (int i = 0; i < 500 && !peer; ++i) {
    listener.Accept(&peer);
    if (!peer) usleep(2000);
  }
  ASSERT_NE(peer, nullptr);
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    std::string m = BuildMessage(Keyword::kAngle, {i % 2 ? kAngleUp : kAngleDown});
    expected += m;
    ASSERT_TRUE(link->Send(m));
  }
  ASSERT_TRUE(link->Flush());
  std::string got;
  char buffer[4096];
  for (int i = 0; i < 1000 && got.size() < expected.size(); ++i) {
    long n = peer->Receive(buffer, sizeof buffer);
    if (n > 0) got.append(buffer, n);
    if (n == 0) usleep(1000);
  }
  EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace kb
