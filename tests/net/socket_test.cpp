#include "common/platform/core/socket.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/platform/core/poller.h"
#include "tests/support/environment.h"
#include "tests/support/socket_options.h"

namespace kb {
namespace {

bool WaitReadable(int fd, int timeoutMs = 2000) {
  Poller poller;
  poller.Add(fd, true, false);
  return poller.Wait(timeoutMs) > 0 && poller.Readable(0);
}

struct Pair {
  Pair() {
    EXPECT_TRUE(listener.Open(0));
    client = TcpConnection::Open("127.0.0.1", listener.Port());
    if (WaitReadable(listener.Fd())) listener.Accept(&server);
    EXPECT_TRUE(client && server);
  }
  TcpListener listener;
  std::unique_ptr<TcpConnection> client, server;
};

TEST(Socket, QueuedBytesLeaveInOrderAndCloseIsReported) {
  InitNetwork();
  Pair p;
  ASSERT_TRUE(p.server);
  char buffer[8192];
  EXPECT_EQ(p.server->Receive(buffer, sizeof buffer), 0);  // nothing yet, no blocking
  testing::SetSocketBuffer(p.server->Fd(), true, 4096);
  std::string all, got;
  for (int i = 0; i < 400; ++i) all += std::to_string(i) + std::string(500, 'a' + i % 26);
  ASSERT_TRUE(p.server->Send(all));
  EXPECT_GT(p.server->Queued(), 0u);
  for (int i = 0; i < 2000 && got.size() < all.size(); ++i) {
    p.server->FlushQueue();
    if (!WaitReadable(p.client->Fd(), 20)) continue;
    long k = p.client->Receive(buffer, sizeof buffer);
    ASSERT_GE(k, 0);
    got.append(buffer, static_cast<size_t>(k));
  }
  EXPECT_EQ(got, all);
  EXPECT_EQ(p.server->Queued(), 0u);
  p.client.reset();
  ASSERT_TRUE(WaitReadable(p.server->Fd()));
  EXPECT_EQ(p.server->Receive(buffer, sizeof buffer), -1);
  EXPECT_FALSE(p.server->Send("X"));
}

TEST(Socket, PartsLeaveInOneSendAndWhatTheSocketRefusesIsQueuedInOrder) {
  InitNetwork();
  Pair p;
  ASSERT_TRUE(p.server);
  testing::SetSocketBuffer(p.server->Fd(), true, 4096);
  std::string a(200000, 'a'), b = "bb", c(5000, 'c'), all;
  for (int i = 0; i < static_cast<int>(a.size()); i += 997) a[i] = static_cast<char>('0' + i % 10);
  std::string_view first[] = {a, b, c}, second[] = {b, c};
  ASSERT_TRUE(p.server->Send(std::span<const std::string_view>(first)));
  EXPECT_GT(p.server->Queued(), 0u);  // far more than the socket takes at once
  // With bytes queued the next parts wait behind them.
  ASSERT_TRUE(p.server->Send(std::span<const std::string_view>(second)));
  all = a + b + c + b + c;
  std::string got;
  char buffer[8192];
  for (int i = 0; i < 5000 && got.size() < all.size(); ++i) {
    p.server->FlushQueue();
    if (!WaitReadable(p.client->Fd(), 20)) continue;
    long k = p.client->Receive(buffer, sizeof buffer);
    ASSERT_GE(k, 0);
    got.append(buffer, static_cast<size_t>(k));
  }
  EXPECT_TRUE(got == all) << got.size() << " of " << all.size();
  EXPECT_EQ(p.server->Queued(), 0u);
}

TEST(Socket, DatagramsCarryTheSenderAndBroadcastUsesTheConfiguredAddress) {
  UdpSocket receiver;
  ASSERT_TRUE(receiver.Open(0));
  char buffer[64];
  const char* configured = std::getenv("KRINGELBAHN_BROADCAST_ADDRESS");
  std::string old = configured ? configured : "";
  testing::SetEnv("KRINGELBAHN_BROADCAST_ADDRESS", "127.0.0.1");
  ASSERT_TRUE(Broadcast(receiver.Port(), "KRINGELBAHN CLIENT"));
  testing::SetEnv("KRINGELBAHN_BROADCAST_ADDRESS", old);
  ASSERT_TRUE(WaitReadable(receiver.Fd()));
  std::string sender;
  long n = receiver.Receive(buffer, sizeof buffer, &sender);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "KRINGELBAHN CLIENT");
  EXPECT_EQ(sender, "127.0.0.1");
}

TEST(Socket, SeveralReceiversShareADiscoveryPortButNoListeningPort) {
  UdpSocket first, second;
  ASSERT_TRUE(first.Open(0));
  ASSERT_TRUE(second.Open(first.Port()));  // a second server on the same machine
  ASSERT_TRUE(Broadcast(first.Port(), "KRINGELBAHN CLIENT"));
  char buffer[64];
  for (UdpSocket* s : {&first, &second}) {
    ASSERT_TRUE(WaitReadable(s->Fd()));
    long n = s->Receive(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "KRINGELBAHN CLIENT");
  }
  // A second server cannot take over the port another one listens on.
  TcpListener listening, intruder;
  ASSERT_TRUE(listening.Open(0));
  EXPECT_FALSE(intruder.Open(listening.Port()));
}

TEST(Socket, ClosingWithUnreadInputStillDeliversWhatWasSent) {
  InitNetwork();
  Pair p;
  ASSERT_TRUE(p.server);
  testing::SetSocketBuffer(p.client->Fd(), false, 4096);
  // The peer's input is never read, and more is sent than the peer's window
  // takes, so part of it still waits in the system when the connection goes.
  ASSERT_TRUE(p.client->Send("PING\x04PING\x04"));
  WaitReadable(p.server->Fd());
  std::string sent(40000, 'x');
  ASSERT_TRUE(p.server->Send(sent));
  p.server->Drain(200);
  p.server.reset();
  std::string got;
  char buffer[8192];
  for (int i = 0; i < 5000 && got.size() < sent.size(); ++i) {
    long n = p.client->Receive(buffer, sizeof buffer);
    if (n < 0) break;
    if (n == 0) WaitReadable(p.client->Fd(), 100);
    if (n > 0) got.append(buffer, static_cast<size_t>(n));
  }
  EXPECT_EQ(got.size(), sent.size());
}

}  // namespace
}  // namespace kb
