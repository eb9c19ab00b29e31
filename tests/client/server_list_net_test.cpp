#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "client/core/internet_list_fetch.h"
#include "client/core/lan_search.h"
#include "client/core/server_list_hooks.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"
#include "tests/client/spine_harness.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

// A free UDP port number (another program may still take it meanwhile).
int FreeUdpPort() {
  UdpSocket probe;
  return probe.Open(0) ? probe.Port() : 0;
}

// Stands in for the servers of one machine: answers every search request on
// its own request port with the given datagrams, broadcast to the answer port.
struct FakeLanServers {
  FakeLanServers(std::vector<std::string> answers, int requestsToAnswer = 1) {
    EXPECT_TRUE(requests.Open(0));
    ports = {requests.Port(), FreeUdpPort()};
    thread = std::thread([this, answers, requestsToAnswer] {
      char buffer[8192];
      for (int answered = 0; answered < requestsToAnswer;) {
        Poller poller;
        poller.Add(requests.Fd(), true, false);
        if (poller.Wait(5000) <= 0) return;
        long got = requests.Receive(buffer, sizeof buffer);
        if (got < 0) continue;
        received.emplace_back(buffer, static_cast<size_t>(got));
        for (const std::string& answer : answers) Broadcast(ports.answer, answer);
        ++answered;
      }
    });
  }
  ~FakeLanServers() { Finish(); }
  void Finish() {
    if (thread.joinable()) thread.join();
  }
  static std::string Answer(const std::string& name, int port, int players, int password) {
    return "KRINGELBAHN SERVER\x02" + name + "\x02" + std::to_string(port) + "\x02" +
           std::to_string(players) + "\x02" + std::to_string(password);
  }

  UdpSocket requests;
  LanSearchPorts ports;
  std::vector<std::string> received;
  std::thread thread;
};

struct Search {
  ServerList list;
  SystemClock clock;
  void Run(LanSearchPorts ports, int ms = 1500) {
    uint64_t token = list.Begin();
    LanSearch(
        list, token, clock, [] { return true; }, ports, ms);
  }
};

TEST(LanSearch, ListsEveryAddressAndPortOnceAndIgnoresStrangers) {
  InitNetwork();
  FakeLanServers servers({FakeLanServers::Answer("Erster%20Server", 1000, 2, 0), "HELLO",
                          "KRINGELBAHN CLIENT", FakeLanServers::Answer("Zweiter", 1001, 0, 1),
                          FakeLanServers::Answer("Erster again", 1000, 7, 1)});
  Search search;
  search.Run(servers.ports);
  servers.Finish();
  ASSERT_EQ(servers.received, std::vector<std::string>{"KRINGELBAHN CLIENT"});
  ASSERT_EQ(search.list.Count(), 2);
  auto entries = search.list.Entries();
  EXPECT_EQ(entries[0].name, "Erster Server");
  EXPECT_EQ(entries[0].address, "127.0.0.1");
  EXPECT_EQ(entries[0].port, 1000);
  EXPECT_EQ(entries[0].players, 2);
  EXPECT_EQ(entries[0].hasPassword, 0);
  EXPECT_EQ(entries[1].name, "Zweiter");
  EXPECT_EQ(entries[1].port, 1001);
  EXPECT_EQ(entries[1].hasPassword, 1);
}

TEST(LanSearch, TwoClientsOnOneMachineSearchAtOnce) {
  InitNetwork();
  FakeLanServers servers({FakeLanServers::Answer("Nur", 2000, 1, 0)}, 2);
  Search a, b;
  std::thread other([&] { b.Run(servers.ports); });
  a.Run(servers.ports);
  other.join();
  servers.Finish();
  EXPECT_EQ(servers.received.size(), 2u);
  for (Search* s : {&a, &b}) {
    ASSERT_EQ(s->list.Count(), 1);
    EXPECT_EQ(s->list.Entries()[0].port, 2000);
  }
}

TEST(LanSearch, StopsAtFiftyTwoAndEndsAtZeroWithoutAnswers) {
  InitNetwork();
  std::vector<std::string> answers;
  for (int i = 0; i < 60; ++i) answers.push_back(FakeLanServers::Answer("S", 3000 + i, 0, 0));
  FakeLanServers servers(answers);
  Search full;
  full.Run(servers.ports, 3000);
  EXPECT_EQ(full.list.Count(), kServerListSize);

  Search none;
  none.Run({FreeUdpPort(), FreeUdpPort()}, 200);
  EXPECT_EQ(none.list.Count(), 0);
}

// A list host on loopback: reads one request, answers with the given text,
// closes.
struct FakeListHost {
  explicit FakeListHost(std::string response) {
    EXPECT_TRUE(listener.Open(0));
    thread = std::thread([this, response] {
      Poller poller;
      poller.Add(listener.Fd(), true, false);
      std::unique_ptr<TcpConnection> peer;
      if (poller.Wait(5000) <= 0 || listener.Accept(&peer) != AcceptResult::kConnection) return;
      char buffer[4096];
      for (int i = 0; i < 5000 && request.find("\r\n\r\n") == std::string::npos; ++i) {
        long got = peer->Receive(buffer, sizeof buffer);
        if (got > 0) request.append(buffer, static_cast<size_t>(got));
        if (got < 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      peer->Send(response);
      peer->Drain(2000);
    });
  }
  ~FakeListHost() { Finish(); }
  void Finish() {
    if (thread.joinable()) thread.join();
  }
  std::string HostText() const { return "127.0.0.1:" + std::to_string(listener.Port()); }

  TcpListener listener;
  std::string request;
  std::thread thread;
};

TEST(InternetListFetch, FillsTheTableFromTheHostsPayload) {
  InitNetwork();
  std::string many;
  for (int i = 0; i < 55; ++i) {
    if (i) many.push_back(kEntrySeparator);
    many.append("127.0.0.1\x02").append(std::to_string(5000 + i)).append("\x02Server\x02").append("0");
  }
  struct Case {
    std::string response;
    int count;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n[data]10.1.2.3\x02"
       "666\x02Mein Server\x02"
       "1[/data]\r\n",
       1},
      {"[data]1.1.1.1\x02"
       "1\x02"
       "A\x02"
       "0\x03"
       "2.2.2.2\x02"
       "2\x02"
       "B\x02"
       "1\x03"
       "3.3.3.3\x02"
       "3\x02"
       "C\x02"
       "0[/data]",
       3},
      {"HTTP/1.0 200 OK\r\n\r\n[data]ERROR[/data]", 0},
      {"HTTP/1.0 200 OK\r\n\r\n[data][/data]", 0},
      {"HTTP/1.0 200 OK\r\n\r\n[data]1.1.1.1\x02"
       "1\x02"
       "A\x02"
       "0",
       0},
      {"HTTP/1.0 404 Not Found\r\n\r\n1.1.1.1\x02"
       "1\x02"
       "A\x02"
       "0[/data]",
       0},
      {"[data]" + many + "[/data]", kServerListSize},
  };
  for (const Case& c : cases) {
    FakeListHost host(c.response);
    ServerList list;
    InternetListFetch(list, list.Begin(), ParseListHost(host.HostText()), 5000);
    EXPECT_EQ(list.Count(), c.count) << c.response;
    host.Finish();
    EXPECT_EQ(host.request, "GET /kringel_server.php?m=get HTTP/1.0\r\nHost: " + host.HostText() +
                                "\r\nConnection: close\r\n\r\n");
  }
}

TEST(InternetListFetch, TheMenuFetchesFromTheConfiguredHost) {
  InitNetwork();
  FakeListHost host(
      "HTTP/1.0 200 OK\r\n\r\n[data]127.0.0.1\x02"
      "7777\x02Gast%20Server\x02"
      "1[/data]");
  std::string saved = getenv(kListHostVariable) ? getenv(kListHostVariable) : "";
  testing::SetEnv(kListHostVariable, host.HostText());
  SpineClient c;
  c.client.frame.gameState = kStateNetChoose;
  c.Tap(scan::kF1);
  EXPECT_EQ(c.State(), kStateNetWeb);
  ASSERT_TRUE(c.client.serverList.tasks.WaitIdle(10000));
  testing::SetEnv(kListHostVariable, saved);
  ASSERT_EQ(ServerCount(c.client), 1);
  auto entries = c.client.serverList.tasks.List().Entries();
  EXPECT_EQ(entries[0].name, "Gast%20Server");
  EXPECT_EQ(entries[0].port, 7777);
  EXPECT_EQ(entries[0].hasPassword, 1);

  // Nobody listens: nothing found.
  TcpListener closed;
  ASSERT_TRUE(closed.Open(0));
  std::string closedHost = "127.0.0.1:" + std::to_string(closed.Port());
  closed.Close();
  ServerList list;
  InternetListFetch(list, list.Begin(), ParseListHost(closedHost), 5000);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace kb
