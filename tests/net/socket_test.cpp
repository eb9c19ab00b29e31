#include "common/platform/core/socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "common/platform/core/poller.h"

namespace kb {
namespace {

// Waits (bounded) until the descriptor is readable.
bool WaitReadable(int fd, int timeoutMs = 2000) {
  Poller poller;
  poller.Add(fd, true, false);
  return poller.Wait(timeoutMs) > 0 && poller.Readable(0);
}

std::unique_ptr<TcpConnection> AcceptOne(TcpListener& listener) {
  std::unique_ptr<TcpConnection> accepted;
  if (!WaitReadable(listener.Fd())) return nullptr;
  if (listener.Accept(&accepted) != AcceptResult::kConnection) return nullptr;
  return accepted;
}

std::string ReceiveExactly(TcpConnection& c, size_t n) {
  std::string got;
  char buffer[8192];
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (got.size() < n && std::chrono::steady_clock::now() < end) {
    if (!WaitReadable(c.Fd(), 100)) continue;
    long k = c.Receive(buffer, sizeof buffer);
    if (k < 0) break;
    got.append(buffer, static_cast<size_t>(k));
  }
  return got;
}

TEST(Socket, LoopbackConnectionCarriesBytesBothWaysAndReportsClose) {
  InitNetwork();
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  ASSERT_GT(listener.Port(), 0);
  std::unique_ptr<TcpConnection> none;
  EXPECT_EQ(listener.Accept(&none), AcceptResult::kNone);

  auto client = TcpConnection::Open("127.0.0.1", listener.Port());
  ASSERT_TRUE(client);
  auto server = AcceptOne(listener);
  ASSERT_TRUE(server);

  char buffer[16];
  EXPECT_EQ(server->Receive(buffer, sizeof buffer), 0);  // nothing yet, no blocking
  ASSERT_TRUE(client->Send("JOIN\x04"));
  EXPECT_EQ(ReceiveExactly(*server, 5), "JOIN\x04");
  ASSERT_TRUE(server->Send("PONG\x04"));
  EXPECT_EQ(ReceiveExactly(*client, 5), "PONG\x04");

  // A second listener cannot take a port in use.
  TcpListener second;
  EXPECT_FALSE(second.Open(listener.Port()));

  client.reset();
  ASSERT_TRUE(WaitReadable(server->Fd()));
  EXPECT_EQ(server->Receive(buffer, sizeof buffer), -1);
  EXPECT_TRUE(server->Broken());
  EXPECT_FALSE(server->Send("X"));
}

TEST(Socket, PeerThatStopsReadingBreaksTheConnectionInsteadOfBlocking) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  auto client = TcpConnection::Open("127.0.0.1", listener.Port());
  ASSERT_TRUE(client);
  auto accepted = AcceptOne(listener);
  ASSERT_TRUE(accepted);
  int fd = accepted->Fd();
  // Keep the descriptor, give it a small queue bound.
  TcpConnection server(dup(fd), 64 * 1024);
  accepted.reset();
  std::string block(4096, 'x');
  bool broken = false;
  for (int i = 0; i < 20000 && !broken; ++i) broken = !server.Send(block);
  EXPECT_TRUE(broken);
  EXPECT_TRUE(server.Broken());
}

TEST(Socket, QueuedBytesLeaveInOrderOnceThePeerReads) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  auto client = TcpConnection::Open("127.0.0.1", listener.Port());
  auto server = AcceptOne(listener);
  ASSERT_TRUE(client && server);
  int small = 4096;
  setsockopt(server->Fd(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  std::string all;
  for (int i = 0; i < 400; ++i) {
    std::string piece = std::to_string(i) + std::string(500, 'a' + i % 26) + "\x04";
    all += piece;
    ASSERT_TRUE(server->Send(piece));
  }
  EXPECT_GT(server->Queued(), 0u);
  std::string got;
  char buffer[8192];
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (got.size() < all.size() && std::chrono::steady_clock::now() < end) {
    server->FlushQueue();
    if (!WaitReadable(client->Fd(), 20)) continue;
    long k = client->Receive(buffer, sizeof buffer);
    ASSERT_GE(k, 0);
    got.append(buffer, static_cast<size_t>(k));
  }
  EXPECT_EQ(got, all);
  EXPECT_EQ(server->Queued(), 0u);
}

TEST(Socket, OpenFailsCleanlyForBadTargets) {
  EXPECT_FALSE(TcpConnection::Open("127.0.0.1", 0));
  EXPECT_FALSE(TcpConnection::Open("127.0.0.1", 70000));
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  int port = listener.Port();
  listener.Close();
  EXPECT_FALSE(TcpConnection::Open("127.0.0.1", port));  // nobody listens
}

TEST(Socket, DatagramsArriveWithTheSenderAddress) {
  UdpSocket receiver;
  ASSERT_TRUE(receiver.Open(0));
  char buffer[8192];
  EXPECT_EQ(receiver.Receive(buffer, sizeof buffer), -1);
  ASSERT_TRUE(SendDatagram("127.0.0.1", receiver.Port(), "KRINGELBAHN CLIENT"));
  ASSERT_TRUE(WaitReadable(receiver.Fd()));
  std::string sender;
  long n = receiver.Receive(buffer, sizeof buffer, &sender);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "KRINGELBAHN CLIENT");
  EXPECT_EQ(sender, "127.0.0.1");
  EXPECT_FALSE(SendDatagram("not an address", receiver.Port(), "x"));
}

TEST(Socket, BroadcastGoesToTheConfiguredAddress) {
  const char* old = std::getenv("KRINGELBAHN_BROADCAST_ADDRESS");
  std::string saved = old ? old : "";
  setenv("KRINGELBAHN_BROADCAST_ADDRESS", "127.0.0.1", 1);
  EXPECT_EQ(BroadcastAddress(), "127.0.0.1");
  UdpSocket receiver;
  ASSERT_TRUE(receiver.Open(0));
  ASSERT_TRUE(Broadcast(receiver.Port(), "hallo"));
  ASSERT_TRUE(WaitReadable(receiver.Fd()));
  char buffer[64];
  EXPECT_EQ(receiver.Receive(buffer, sizeof buffer), 5);
  unsetenv("KRINGELBAHN_BROADCAST_ADDRESS");
  EXPECT_EQ(BroadcastAddress(), "255.255.255.255");
  if (old) setenv("KRINGELBAHN_BROADCAST_ADDRESS", saved.c_str(), 1);
}

}  // namespace
}  // namespace kb
