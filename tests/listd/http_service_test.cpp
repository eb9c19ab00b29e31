#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "common/net/web_list.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"
#include "listd/http_front.h"
#include "listd/http_gate.h"
#include "listd/list_service.h"
#include "listd/relay.h"
#include "listd/static_files.h"
#include "tests/platform/temp_dir.h"
#include "tests/server/wire_client.h"
#include "tests/support/socket_options.h"

namespace kb {
namespace {

using Clock = std::chrono::steady_clock;

// What the peer sends until it closes (then *closed is set), `end` passes or what came holds `until`.
std::string ReadUntil(TcpConnection& c, Clock::time_point end, std::string_view until = {},
                      bool* closed = nullptr) {
  std::string got;
  char buffer[65536];
  Poller poller;
  poller.Add(c.Fd(), true, false);
  auto left = [end] {
    return static_cast<int>(std::max<int64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count(), 0));
  };
  long n = 0;
  while (n >= 0 && (until.empty() || got.find(until) == std::string::npos) && poller.Wait(left()) > 0)
    if ((n = c.Receive(buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<size_t>(n));
  if (closed) *closed = n < 0;
  return got;
}

// The service with its real probe and HTTP front on a free loopback port.
struct LiveService {
  TempDir dir;
  ListStore store;
  SystemClock clock;
  std::unique_ptr<ListService> service;
  std::atomic<bool> stop{false};
  Relay relay;
  GatedHttpServer http;
  std::thread thread;
  ListHostAddress host;

  explicit LiveService(ListServiceLimits limits = {}, const std::string& webRoot = "",
                       HttpFrontOptions front = {}, GateLimits gate = {}, RelayLimits relayLimits = {})
      : relay(relayLimits), http(gate) {
    InitNetwork();
    EXPECT_TRUE(store.Open(dir.File("list.sqlite")));
    service = std::make_unique<ListService>(
        store, clock,
        [this](const std::vector<Endpoint>& endpoints) { return ProbeAll(endpoints, 3000, stop); }, limits);
    MountListService(http, *service, front);
    MountRelay(http, *service, relay, front);
    EXPECT_TRUE(webRoot.empty() || MountWebRoot(http, webRoot));
    int port = http.Bind("127.0.0.1", 0);
    host = ParseListHost("127.0.0.1:" + std::to_string(port));
    thread = std::thread([this] { http.listen_after_bind(); });
  }
  ~LiveService() { stop = true, http.stop(), thread.join(); }
  std::string Ask(const std::string& query) {
    return ExchangeWithListHost(host, ListRequest("/kringel_server.php?" + query, host), 5000);
  }
  // The whole raw response to raw request bytes, until the service closes.
  std::string Raw(const std::string& bytes, const char* from = "127.0.0.1") {
    int fd = testing::ConnectFrom(from, host.port);
    auto c = fd < 0 ? nullptr : std::make_unique<TcpConnection>(fd);
    if (!c || !c->Send(bytes) || !c->Drain(3000)) return "no connection";
    return ReadUntil(*c, Clock::now() + std::chrono::seconds(10));
  }
};

// Requests by path, method and size; the web root serves its files, unisolated, and nothing outside it.
// X-Forwarded-For counts from a named proxy (here: loopback), and then the last entry of its last line; whom
// the front trusts is its unit table's.
TEST(HttpService, RequestsByPathMethodAndSizeFromAProxyAndNothingOutsideTheWebRoot) {
  TempDir web, outside;
  for (const char* name : {"kringelbahn.html", "kringelbahn.wasm"}) web.Write(name, "page");
  std::filesystem::create_directory(web.File("parts"));
  web.Write("parts/kringelbahn.data", "data");
  outside.Write("secret.txt", "SECRET");
  std::filesystem::create_symlink(outside.File("secret.txt"), web.File("link.txt"));
  std::string away = "/../" + std::filesystem::path(outside.Path()).filename().string() + "/secret.txt";
  TcpListener game;
  ASSERT_TRUE(game.Open(0));
  std::string port = std::to_string(game.Port());
  LiveService s({}, web.Path(), {.trustedProxies = {"127.0.0.1"}});
  GatedHttpServer unused;
  EXPECT_FALSE(MountWebRoot(unused, web.File("kringelbahn.html")) ||
               MountWebRoot(unused, web.File("missing")));

  const std::string list = "/kringel_server.php?", error = "ERROR[/data]";
  struct Case {
    std::string request;
    const char* status;
    std::string expected;  // a header line or the body's end
  } cases[] = {
      {"GET / HTTP/1.0", "HTTP/1.1 302", "\r\nLocation: /kringelbahn.html\r\n"},
      {"GET /kringelbahn.html HTTP/1.0", "HTTP/1.1 200", "\r\nContent-Type: text/html; charset=utf-8\r\n"},
      {"GET /kringelbahn.wasm HTTP/1.0", "HTTP/1.1 200", "\r\nContent-Type: application/wasm\r\n"},
      {"GET /parts/kringelbahn.data HTTP/1.0", "HTTP/1.1 200", "\r\n\r\ndata"},
      {"HEAD /kringelbahn.wasm HTTP/1.0", "HTTP/1.1 200", "\r\nContent-Length: 4\r\n"},
      {"GET /kringel_server.php?m=get HTTP/1.0", "HTTP/1.1 200", "\r\n\r\n[data][/data]"},
      {"GET /missing.js HTTP/1.0", "HTTP/1.1 404", error},
      {"GET " + away + " HTTP/1.0", "HTTP/1.1 404", error},
      {"GET /%2e%2e" + away.substr(3) + " HTTP/1.0", "HTTP/1.1 404", error},
      {"GET " + outside.File("secret.txt") + " HTTP/1.0", "HTTP/1.1 404", error},
      {"GET /link.txt HTTP/1.0", "HTTP/1.1 404", error},
      {"GET /kringelbahn.html%00.wasm HTTP/1.0", "HTTP/1.1 404", error},
      {"GET /parts/ HTTP/1.0", "HTTP/1.1 404", error},  // no listing
      {"GET /other.php?m=get HTTP/1.0", "HTTP/1.1 404", error},
      {"POST " + list + "m=get HTTP/1.0\r\nContent-Length: 0", "HTTP/1.1 404", error},
      {"GET /kringel_server.php HTTP/1.0", "HTTP/1.1 200", error},
      {"GET " + list + "m=reg&name=" + std::string(2000, 'x') + "&port=1&pass=0 HTTP/1.0", "HTTP/1.1 200",
       error},
      {"GET " + list + "m=get&x=" + std::string(20000, 'x') + " HTTP/1.0", "HTTP/1.1 414", error},
      {"GARBAGE", "HTTP/1.1 400", error},
      {"GET " + list + "m=reg&name=x&port=" + port +
           "&pass=0 HTTP/1.0\r\nX-Forwarded-For: 127.0.0.4\r\nX-Forwarded-For: 127.0.0.3, 127.0.0.2",
       "HTTP/1.1 200", "[data]OK[/data]"},
  };
  for (const Case& c : cases) {
    std::string response = s.Raw(c.request + "\r\n\r\n");
    SCOPED_TRACE(c.request.substr(0, 60));
    EXPECT_TRUE(response.starts_with(c.status)) << response;
    EXPECT_NE(response.find(c.expected), std::string::npos) << response;
    EXPECT_EQ(response.find("\r\nCross-Origin-"), std::string::npos);
    EXPECT_EQ(response.find("SECRET"), std::string::npos);
    EXPECT_TRUE(!c.request.starts_with("HEAD") || response.ends_with("\r\n\r\n")) << response;
  }
  EXPECT_EQ(s.Ask("m=get"), "127.0.0.2\x02" + port + "\x02x\x02" + "0");  // still serving
}

// The web root's bytes are held once however many connections send them, a changed file is read again, and
// one that does not fit beside those being sent is refused until they are done.
TEST(HttpService, WebRootFilesAreHeldOnceWithinTheirBudget) {
  TempDir web;
  web.Write("a.wasm", std::string(1000, 'a'));
  web.Write("b.js", std::string(600, 'b'));
  StaticFiles files(std::filesystem::canonical(web.Path()), 1500);
  auto first = files.Answer("GET /a.wasm HTTP/1.1\r\n\r\n"),
       second = files.Answer("GET /a.wasm?v=2 HTTP/1.1\r\n");
  ASSERT_TRUE(first && second && first->body);
  EXPECT_EQ(first->body, second->body);
  EXPECT_NE(first->head.find("\r\nContent-Length: 1000\r\n"), std::string::npos) << first->head;
  EXPECT_EQ(files.HeldBytes(), 1000u);
  EXPECT_TRUE(files.Answer("GET /b.js HTTP/1.1")->head.starts_with("HTTP/1.1 503"));
  first.reset(), second.reset();
  EXPECT_EQ(*files.Answer("GET /b.js HTTP/1.1")->body, std::string(600, 'b'));
  auto written = std::filesystem::last_write_time(web.File("b.js"));
  web.Write("b.js", std::string(600, 'c'));  // the same size: only the time tells
  std::filesystem::last_write_time(web.File("b.js"), written + std::chrono::seconds(1));
  EXPECT_EQ(*files.Answer("GET /b.js HTTP/1.1")->body, std::string(600, 'c'));
  EXPECT_EQ(files.HeldBytes(), 600u);
  EXPECT_FALSE(files.Answer("POST /b.js HTTP/1.1") || files.Answer("GET b.js HTTP/1.1"));
}

// A reader that stops is cut off by the stall rule: the kernel keeps only a
// little of a big file for it, not the whole file past the gate's reach. One
// that reads gets all of it, even with bytes after its request left unread.
TEST(HttpService, BigFilesReachReadersAndNotStalledOnes) {
  TempDir web;
  const size_t size = 3 << 20;
  web.Write("big.wasm", std::string(size, 'x'));
  LiveService s({}, web.Path(), {}, {.responseStallMs = 300});
  for (bool stall : {true, false}) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    testing::SetSocketBuffer(fd, false, 4096);  // before the connect: the window it offers
    sockaddr_in to{};
    to.sin_family = AF_INET, to.sin_port = htons(static_cast<uint16_t>(s.host.port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    TcpConnection c(fd);
    ASSERT_TRUE(c.Send("GET /big.wasm HTTP/1.0\r\n\r\n"));
    std::this_thread::sleep_for(std::chrono::milliseconds(stall ? 1500 : 100));
    ASSERT_TRUE(stall || c.Send("never read"));
    size_t received = ReadUntil(c, Clock::now() + std::chrono::seconds(10)).size();
    if (stall) {
      EXPECT_LT(received, size / 2);
    } else {
      EXPECT_GT(received, size);
    }
  }
}

// Every server twice, from several threads at once: refreshes race with inserts.
TEST(HttpService, ConcurrentRegistrationsAllLand) {
  LiveService s({.entries = {64, 64}, .shownPerNetwork = 64, .checksPerAddress = 4}, "", {},
                {.requestsPerSecond = 1000});
  std::vector<TcpListener> games(24);
  for (TcpListener& game : games) ASSERT_TRUE(game.Open(0));
  std::atomic<int> ok{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 12; ++i)
        ok += s.Ask("m=reg&name=S&pass=0&port=" + std::to_string(games[t * 6 + i / 2].Port())) == "OK";
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(ok, 48);
  std::string list = s.Ask("m=get");
  EXPECT_EQ(std::count(list.begin(), list.end(), '\x03'), 23);  // 24 entries
}

// Ten connections from each of twenty addresses that never finish their request: eight of each wait until
// their time is up, two are turned away, and nobody else notices. A greedy address is turned away too.
TEST(HttpService, SlowAndGreedyPeersCostOnlyTheirOwnConnections) {
  LiveService s({}, "", {}, {.requestsPerSecond = 1, .requestTimeMs = 1000});
  TcpListener game;
  ASSERT_TRUE(game.Open(0));
  std::vector<std::unique_ptr<TcpConnection>> slow;
  for (int a = 0; a < 20; ++a)
    for (int i = 0; i < 10; ++i) {
      int fd = testing::ConnectFrom(("127.0.0." + std::to_string(a + 2)).c_str(), s.host.port);
      ASSERT_GE(fd, 0);
      slow.push_back(std::make_unique<TcpConnection>(fd));
      slow.back()->Send("GET /kringel_server.php?m=get HTTP/1.1\r\n");
    }
  EXPECT_EQ(s.Ask("m=reg&name=Ehrlich&port=" + std::to_string(game.Port()) + "&pass=0"), "OK");
  EXPECT_EQ(s.Ask("m=get"), "127.0.0.1\x02" + std::to_string(game.Port()) + "\x02" + "Ehrlich\x02" + "0");
  int busy = 0, closed = 0;
  auto end = Clock::now() + std::chrono::seconds(10);
  for (auto& c : slow) {
    bool gone = false;
    std::string answer = ReadUntil(*c, end, {}, &gone);
    busy += answer.starts_with("HTTP/1.1 503") && answer.ends_with("[data]ERROR[/data]");
    closed += answer.empty() && gone;
  }
  EXPECT_EQ(busy, 40);
  EXPECT_EQ(closed, 160);
  int refused = 0;
  for (int i = 0; i < 50; ++i)
    refused +=
        s.Raw("GET /kringel_server.php?m=get HTTP/1.0\r\n\r\n", "127.0.0.30").starts_with("HTTP/1.1 503");
  EXPECT_TRUE(refused >= 5 && refused <= 10) << refused;
}

TEST(HttpService, ProbesRunSideBySideAndStopWhenTold) {
  TcpListener open, gone, hole;
  ASSERT_TRUE(open.Open(0) && gone.Open(0) && hole.Open(0));
  int closedPort = gone.Port();
  gone.Close();
  // A listener whose queue is full lets connects hang, as a dropping firewall does.
  testing::StopAnswering(hole.Fd());
  std::vector<std::unique_ptr<TcpConnection>> queued;
  for (int i = 0; i < 4; ++i) queued.push_back(TcpConnection::Open("127.0.0.1", hole.Port(), false, 200));
  std::vector<Endpoint> endpoints = {{"127.0.0.1", open.Port()}, {"127.0.0.1", closedPort}};
  for (int i = 0; i < 20; ++i) endpoints.push_back({"127.0.0.1", hole.Port()});
  endpoints.push_back({"127.0.0.1", open.Port()});
  std::atomic<bool> stop{false};
  std::vector<bool> reachable = ProbeAll(endpoints, 500, stop);
  std::vector<bool> expected(endpoints.size(), false);
  expected.front() = expected.back() = true;
  EXPECT_EQ(reachable, expected);
  // Stopped, it answers for what it had decided and leaves the rest.
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop = true;
  });
  reachable = ProbeAll(endpoints, 60'000, stop, 4);
  stopper.join();
  EXPECT_EQ(reachable, std::vector<bool>({true, false}));
}

// A game server made of sockets: answers each relayed opening (or not), then echoes or floods.
struct FakeGame {
  TcpListener listener;
  std::vector<std::unique_ptr<TcpConnection>> peers;
  std::vector<std::string> openings;
  FakeGame() { EXPECT_TRUE(listener.Open(0)); }
  // Takes the connections waiting, reads their openings and answers them (or not), then sends `extra`.
  void Take(const std::string& extra = "", bool answer = true) {
    for (std::unique_ptr<TcpConnection> c; listener.Accept(&c) == AcceptResult::kConnection;) {
      std::string head = ReadUntil(*c, Clock::now() + std::chrono::seconds(1), "\r\n\r\n");
      openings.push_back(head);
      c->Send((answer ? ReadHandshake(head).answer : "") + extra);
      peers.push_back(std::move(c));
    }
  }
};

// A game server's frame of one message.
std::string ServerFrame(std::string_view keyword, std::string field) {
  WebSocketFraming framing(WebSocketFraming::Side::kServer);
  std::string message = BuildMessage(keyword, {field});
  std::string_view parts[] = {message};
  framing.Encode(parts);
  return framing.Output();
}

// The service with a fake game server listed and checked; `target` is the relay's path to it.
struct RelayService : LiveService {
  FakeGame game;
  std::string port = std::to_string(game.listener.Port());
  std::string target = "/play?address=127.0.0.1&port=" + port;
  explicit RelayService(RelayLimits limits = {}) : LiveService({}, "", {}, {}, limits) {
    EXPECT_EQ(Ask("m=reg&name=S&pass=0&port=" + port), "OK");
    game.Take();  // the registration's check
    game.peers.clear(), game.openings.clear();
  }
  // A browser through the relay, from `from`, once it has its answer; the game server's is taken as Take's.
  std::unique_ptr<testing::WireClient> Browser(const char* from, int receiveBuffer = 0,
                                               const std::string& extra = "", bool answer = true) {
    auto b = std::make_unique<testing::WireClient>(testing::Wire::kWebSocket, "", target);
    EXPECT_TRUE(b->Connect(host.port, receiveBuffer, from));
    for (int i = 0; i < 100 && b->Answer().find("\r\n\r\n") == std::string::npos; ++i) {
      game.Take(extra, answer);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      b->ReadSome(4096);
    }
    return b;
  }
};

// Every opening on /play that is not for a listed server that answered its last check is refused before
// anything connects anywhere; another path is no opening.
TEST(Relay, RefusesAllButListedReachableTargetsUnconnected) {
  RelayService s;
  FakeGame other;
  const std::string& port = s.port;
  const std::string up =
      "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
  auto open = [&](const std::string& target, const std::string& more = "Sec-WebSocket-Version: 13\r\n") {
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\n" + up + more + "\r\n";
  };
  struct Case {
    std::string request;
    const char* status;
  } cases[] = {
      {open("/play?address=127.0.0.1&port=" + std::to_string(other.listener.Port())), "403"},
      {open("/play?address=127.0.0.2&port=" + port), "403"},
      {open("/play?address=%3A%3Affff%3A127.0.0.2&port=" + port),
       "403"},  // decoded: an IPv4-mapped 127.0.0.2
      {open("/play?address=127.0.0.1"), "400"},
      {open("/play?port=" + port + "&address=127.0.0.1&address=127.0.0.1"), "400"},
      {open(s.target + "&x=1"), "400"},
      {open("/play?address=localhost&port=" + port), "400"},
      {open("/play?address=127.0.0.1&port=0"), "400"},
      {open("/play?address=127.0.0.1&port=+" + port), "400"},
      {open("/play?address=127.0.0.1%2&port=" + port), "400"},
      {open(s.target, "Sec-WebSocket-Version: 8\r\n"), "426"},
      {"GET " + s.target + " HTTP/1.1\r\nHost: x\r\n\r\n", "400"},
      {"POST " + s.target + " HTTP/1.1\r\nHost: x\r\n" + up + "\r\n", "400"},
      {open("/playground?address=127.0.0.1&port=" + port), "404"},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(s.Raw(c.request).starts_with("HTTP/1.1 " + std::string(c.status))) << c.request;
  std::unique_ptr<TcpConnection> none;
  EXPECT_EQ(other.listener.Accept(&none), AcceptResult::kNone);
  s.game.Take();
  EXPECT_TRUE(s.game.openings.empty());
  // A listed server that failed its last check is no target until it answers again.
  std::vector<ListEntry> entries = s.store.CheckedBefore(INT64_MAX);
  s.store.NoteChecks(entries, {false}, s.clock.Now(), 3);
  EXPECT_TRUE(s.Raw(open(s.target)).starts_with("HTTP/1.1 403"));
}

// Through the relay the browser and the game server exchange their frames unchanged; the game server hears
// the player's address and answers first. A game server that refuses or never answers costs the browser a
// 502.
TEST(Relay, CarriesFramesBothWaysAndRefusesForFailedOpenings) {
  RelayService s({.openingMs = 500});
  auto browser = s.Browser("127.0.0.5", 0, ServerFrame("CHAT", "Hallo"));
  ASSERT_EQ(s.game.openings.size(), 1u);
  EXPECT_NE(s.game.openings[0].find("\r\nX-Forwarded-For: 127.0.0.5\r\n"), std::string::npos)
      << s.game.openings[0];
  EXPECT_EQ(browser->Next(), "CHAT^Hallo");
  EXPECT_NE(browser->Answer().find("Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n"),
            std::string::npos);
  EXPECT_NE(browser->Answer().find("Sec-WebSocket-Protocol: binary\r\n"), std::string::npos);
  ASSERT_TRUE(browser->Send("JOIN"));
  std::string heard = ReadUntil(*s.game.peers[0], Clock::now() + std::chrono::milliseconds(500));
  ASSERT_EQ(heard.size(), 6 + BuildMessage("JOIN", {}).size());  // masked: 2 + 4 + the message
  EXPECT_EQ(heard[0], '\x82');
  s.game.peers.clear();
  EXPECT_TRUE(browser->WaitClosed(3000));
  EXPECT_EQ(s.relay.Count(), 0);

  for (bool answers : {true, false}) {
    auto refused = s.Browser("127.0.0.1", 0, answers ? HttpRefusal(503, "Service Unavailable") : "", false);
    EXPECT_TRUE(refused->WaitClosed(3000));
    EXPECT_TRUE(refused->Answer().starts_with("HTTP/1.1 502")) << refused->Answer();
  }
  EXPECT_EQ(s.relay.Count(), 0);
}

// Places per address and in all; a browser that stops reading loses its relay once its queue passes the
// bound; a flooding game server is read no faster than its allowance; none of it slows another player's echo.
TEST(Relay, PlacesQueuesAndFloodsAreBoundedPerRelay) {
  RelayLimits limits{.perGroup = 2, .total = 4, .queueBytes = 32 << 10, .serverBytesPerSecond = 256 << 10};
  RelayService s(limits);
  std::vector<std::unique_ptr<testing::WireClient>> b;
  for (const char* from : {"127.0.0.2", "127.0.0.2", "127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"})
    b.push_back(s.Browser(from, b.empty() ? 2048 : 0));
  const char* expected[] = {"101", "101", "503", "101", "101", "503"};
  for (size_t i = 0; i < b.size(); ++i)
    EXPECT_TRUE(b[i]->Answer().starts_with("HTTP/1.1 " + std::string(expected[i]))) << i << b[i]->Answer();
  auto& peers = s.game.peers;
  ASSERT_EQ(peers.size(), 4u);

  // The game server floods the first (which reads nothing) and the second (which reads all).
  std::string frame = ServerFrame("CHAT", std::string(4000, 'x'));
  size_t read = 0;
  char buffer[8192];
  auto start = std::chrono::steady_clock::now();
  bool firstClosed = false;
  for (int i = 0; i < 1000 && std::chrono::steady_clock::now() - start < std::chrono::seconds(3); ++i) {
    for (int k : {0, 1})
      if (peers[k]->FlushQueue() && peers[k]->Queued() < (64 << 10)) peers[k]->Send(frame);
    firstClosed = firstClosed || peers[0]->Receive(buffer, sizeof buffer) < 0;
    b[1]->ReadSome(sizeof buffer);
    while (b[1]->Next(0)) read += frame.size();
    // Another player's echo goes across meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (i % 100 == 0) {
      ASSERT_TRUE(peers[2]->Send(ServerFrame("CHAT", "!")));
      EXPECT_TRUE(b[3]->Next(1000));
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(firstClosed);
  // Its allowance: a second's worth at once, then the rate.
  EXPECT_LE(read, (limits.serverBytesPerSecond * (1 + seconds)) + 8192) << read << " in " << seconds << " s";
  EXPECT_EQ(s.relay.Count(), 3);
}

}  // namespace
}  // namespace kb
