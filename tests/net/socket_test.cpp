#include "common/platform/core/socket.h"

#include <gtest/gtest.h>

#include <thread>

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

namespace kb {
namespace {

// Parsing takes what the standards allow and nothing else; printing is the
// one RFC 5952 form; mapped IPv4 is IPv4.
TEST(Address, ParsesPrintsAndGroups) {
  struct Case {
    const char *text, *plain, *group, *network;
  } cases[] = {
      {"192.0.2.7", "192.0.2.7", "192.0.2.7", "192.0.2.0/24"},
      {"::ffff:192.0.2.7", "192.0.2.7", "192.0.2.7", "192.0.2.0/24"},
      {"::FFFF:c000:0207", "192.0.2.7", "192.0.2.7", "192.0.2.0/24"},
      {"2001:DB8:0:0:1:0:0:1", "2001:db8::1:0:0:1", "2001:db8::/64", "2001:db8::/48"},
      {"2001:db8:0:0:0:0:2:1", "2001:db8::2:1", "2001:db8::/64", "2001:db8::/48"},
      {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1", "2001:db8:0:1::/64", "2001:db8::/48"},
      {"2001:0db8:00aa:bbbb:cccc::", "2001:db8:aa:bbbb:cccc::", "2001:db8:aa:bbbb::/64", "2001:db8:aa::/48"},
      {"::1", "::1", "::/64", "::/48"},
      {"::", "::", "::/64", "::/48"},
      {"1:0:0:2::3:0", "1::2:0:0:3:0", "1:0:0:2::/64", "1::/48"},
      {"::2:1.2.3.4", "::2:102:304", "::/64", "::/48"},
      {"fe80::1:2:3:4", "fe80::1:2:3:4", "fe80::/64", "fe80::/48"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PlainAddress(c.text), c.plain);
    EXPECT_EQ(PlainAddress(c.plain), c.plain);
    EXPECT_EQ(AddressGroup(c.plain), c.group);
    EXPECT_EQ(NetworkGroup(c.plain), c.network);
  }
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "01.2.3.4", "256.1.1.1", "1.2.3.4 ", "1..2.3", "::1::",
                          "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7", "12345::", "g::1", ":1::2", "1::2:", "fe80::1%lo",
                          "[::1]", "1:2:3:4:5:6:7::8", "::1.2.3", "1.2.3.4::", "host"})
    EXPECT_EQ(PlainAddress(bad), "") << bad;
}

TEST(Address, SplitsHostsAndPorts) {
  struct Case {
    const char *text, *host;
    int port;
  } cases[] = {{"list.example", "list.example", -1}, {"list.example:8080", "list.example", 8080},
               {"1.2.3.4:80", "1.2.3.4", 80},           {"[::1]:8080", "::1", 8080},
               {"[2001:db8::1]", "2001:db8::1", -1},     {"2001:db8::1", "2001:db8::1", -1},
               {"::1", "::1", -1}};
  for (const Case& c : cases) {
    std::string host;
    int port = 0;
    EXPECT_TRUE(SplitHostPort(c.text, &host, &port) && host == c.host && port == c.port) << c.text;
  }
  std::string host;
  int port;
  for (const char* bad : {"", ":80", "h:", "h:0", "h:65536", "h:8x", "[::1", "[::1]x", "[h]:80", "[1.2.3.4]", "1::g"})
    EXPECT_FALSE(SplitHostPort(bad, &host, &port)) << bad;
  EXPECT_EQ(HostForUrl("::1"), "[::1]");
  EXPECT_EQ(HostForUrl("1.2.3.4"), "1.2.3.4");
}

// IPv6 first, then the families take turns; each address once.
TEST(HappyEyeballs, OrdersIpv6FirstAndInterleaves) {
  auto a = [](const char* text) { return *ParseIpAddress(text); };
  std::vector<IpAddress> resolved = {a("192.0.2.1"), a("192.0.2.2"), a("2001:db8::1"), a("192.0.2.1"),
                                     a("192.0.2.3"), a("2001:db8::2")};
  std::vector<std::string> order;
  for (const IpAddress& address : HappyEyeballsOrder(resolved)) order.push_back(FormatIpAddress(address));
  EXPECT_EQ(order, (std::vector<std::string>{"2001:db8::1", "192.0.2.1", "2001:db8::2", "192.0.2.2",
                                             "192.0.2.3"}));
}

// A host whose IPv6 address never answers (a listener whose queue is full
// drops further SYNs) is reached over IPv4 once the next attempt starts, long
// before the time limit; IPv4 players of a dual-stack listener are dotted.
TEST(HappyEyeballs, FallsBackToIpv4WhenIpv6NeverAnswers) {
  TcpListener v4;
  ASSERT_TRUE(v4.Open("127.0.0.1", 0));
  TcpListener hole;
  if (!hole.Open("::1", v4.Port())) KB_SKIP_OR_FAIL("no IPv6 loopback here: " + hole.OpenError());
  std::vector<std::unique_ptr<TcpConnectAttempt>> queued;
  for (int i = 0; i < 200; ++i) queued.push_back(std::make_unique<TcpConnectAttempt>("::1", v4.Port(), true, 60000));
  for (int i = 0; i < 50; ++i)
    for (auto& q : queued) q->Poll();
  TcpConnectAttempt attempt(std::vector<IpAddress>{*ParseIpAddress("127.0.0.1"), *ParseIpAddress("::1")},
                            v4.Port(), true, 10000);
  std::unique_ptr<TcpConnection> connection;
  for (int i = 0; i < 5000 && !connection && !attempt.Failed(); ++i) {
    connection = attempt.Poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(connection);
  EXPECT_EQ(attempt.Started(), 2);
  EXPECT_EQ(connection->PeerAddress(), "127.0.0.1");

  TcpListener both;
  ASSERT_TRUE(both.Open(0));
  for (const char* host : {"127.0.0.1", "::1", "[::1]"}) {
    auto client = TcpConnection::Open(host, both.Port(), true, 2000);
    std::unique_ptr<TcpConnection> accepted;
    ASSERT_TRUE(client && WaitReadable(both.Fd()) && both.Accept(&accepted) == AcceptResult::kConnection) << host;
    EXPECT_EQ(accepted->PeerAddress(), PlainAddress(std::string(host) == "[::1]" ? "::1" : host));
  }
  // Every family's port is taken: no second listener on either.
  TcpListener intruder;
  EXPECT_FALSE(intruder.Open("::1", both.Port()) || intruder.Open("127.0.0.1", both.Port()));
}

}  // namespace
}  // namespace kb
