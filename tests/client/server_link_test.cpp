#include "client/core/server_link.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/net/protocol.h"
#include "common/platform/core/socket.h"

namespace kb {
namespace {

// A real loopback peer that accepts and never reads: the link reports itself broken once its queue passes the
// bound, and never blocks the caller.
TEST(ServerLink, AServerThatStopsReadingBreaksTheLink) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  auto link = OpenServerLink("localhost", listener.Port());
  ASSERT_NE(link, nullptr);
  std::unique_ptr<TcpConnection> peer;
  for (int i = 0; i < 500 && !peer; ++i)
    if (listener.Accept(&peer) != AcceptResult::kConnection)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_NE(peer, nullptr);
  std::string chat = BuildMessage(Keyword::kChat, {std::string(1000, 'x')});
  bool broken = false;
  // Kernel buffers take a few megabytes first; 64 MB is far beyond them.
  for (int i = 0; i < 64 * 1024 && !broken; ++i) broken = !link->Send(chat) || !link->Flush();
  EXPECT_TRUE(broken);
  int closedPort = listener.Port();
  listener.Close();
  EXPECT_EQ(OpenServerLink("127.0.0.1", closedPort), nullptr);
}

}  // namespace
}  // namespace kb
