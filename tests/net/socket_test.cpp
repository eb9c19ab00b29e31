#include "common/platform/core/socket.h"

#include <gtest/gtest.h>

#include "common/platform/core/poller.h"
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

// More than the socket takes at once, as one piece or as parts: the rest is
// queued, and what is sent while bytes wait goes behind them.
TEST(Socket, QueuedBytesLeaveInOrderAndCloseIsReported) {
  InitNetwork();
  std::string a(200000, 'a'), b = "bb", c(5000, 'c');
  for (size_t i = 0; i < a.size(); i += 997) a[i] = static_cast<char>('0' + i % 10);
  const std::string all = a + b + c + b + c;
  for (bool asParts : {false, true}) {
    SCOPED_TRACE(asParts ? "parts" : "one piece");
    Pair p;
    ASSERT_TRUE(p.server);
    char buffer[8192];
    EXPECT_EQ(p.server->Receive(buffer, sizeof buffer), 0);  // nothing yet, no blocking
    testing::SetSocketBuffer(p.server->Fd(), true, 4096);
    std::string_view first[] = {a, b, c}, second[] = {b, c};
    ASSERT_TRUE(asParts ? p.server->Send(std::span<const std::string_view>(first)) : p.server->Send(a + b + c));
    EXPECT_GT(p.server->Queued(), 0u);
    ASSERT_TRUE(p.server->Send(std::span<const std::string_view>(second)));
    std::string got;
    for (int i = 0; i < 1000 && got.size() < all.size(); ++i) {
      Poller writer;  // the queue moves on when poll says the socket takes more
      writer.Add(p.server->Fd(), false, true);
      if (writer.Wait(0) > 0 && writer.Writable(0)) p.server->FlushQueue();
      if (!WaitReadable(p.client->Fd(), 20)) continue;
      long k = p.client->Receive(buffer, sizeof buffer);
      ASSERT_GE(k, 0);
      got.append(buffer, static_cast<size_t>(k));
    }
    EXPECT_TRUE(got == all) << got.size() << " of " << all.size();
    EXPECT_EQ(p.server->Queued(), 0u);
    p.client.reset();
    ASSERT_TRUE(WaitReadable(p.server->Fd()));
    EXPECT_TRUE(p.server->Receive(buffer, sizeof buffer) == -1 && !p.server->Send("X"));
  }
}

// Several servers on one machine share the discovery port, but no listening
// port. The broadcast goes to the configured address (loopback's, in tests).
TEST(Socket, BroadcastsReachEveryReceiverOnThePortWithTheSender) {
  UdpSocket first, second;
  ASSERT_TRUE(first.Open(0) && second.Open(first.Port()));
  ASSERT_TRUE(Broadcast(first.Port(), "KRINGELBAHN CLIENT"));
  char buffer[64];
  for (UdpSocket* s : {&first, &second}) {
    ASSERT_TRUE(WaitReadable(s->Fd()));
    std::string sender;
    long n = s->Receive(buffer, sizeof buffer, &sender);
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0) + " from " + sender, "KRINGELBAHN CLIENT from 127.0.0.1");
  }
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
