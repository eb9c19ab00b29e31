#include "common/net/web_list.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

TEST(WebList, AnswersAndHostsAreParsed) {
  const std::pair<const char*, const char*> cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\n[data]OK[/data]", "OK"}, {"[data][/data]", ""},
      {"x[data]a\x02z[/data][data]second[/data]", "a\x02z"}, {"[/data] [data]late[/data]", "late"},
      {"no start[/data]", ""}, {"[data]no end", ""}, {"", ""}};
  for (auto [text, want] : cases) EXPECT_EQ(ExtractBetween(text, "[data]", "[/data]"), want) << text;
  ListResponse endless;  // an answer without an end is given up once it passes the limit
  EXPECT_FALSE(endless.Add(std::string(kListResponseLimit, 'x')));
  EXPECT_TRUE(endless.Add("x") && endless.Payload() == "ERROR");
  // A list host takes an optional port and falls back on nonsense.
  const std::string fallback = ParseListHost("").host + ":80";
  EXPECT_NE(fallback, ":80");
  for (auto [text, want] : {std::pair<const char*, std::string>{"list.example.org", "list.example.org:80"},
                            {"127.0.0.1:8080", "127.0.0.1:8080"}, {"host:0", fallback}, {"host:70000", fallback},
                            {"host:80x", fallback}, {":81", fallback}}) {
    ListHostAddress address = ParseListHost(text);
    EXPECT_EQ(address.host + ":" + std::to_string(address.port), want) << text;
  }
  EXPECT_EQ(ListRequest("/kringel_server.php?m=get", ParseListHost("127.0.0.1:8080")),
            "GET /kringel_server.php?m=get HTTP/1.0\r\nHost: 127.0.0.1:8080\r\nConnection: close\r\n\r\n");
  testing::SetEnv("KB_TEST_LIST_HOST", "10.1.2.3:99");
  EXPECT_EQ(ListHostFromEnvironment("KB_TEST_LIST_HOST").port, 99);
  testing::SetEnv("KB_TEST_LIST_HOST", "");
  EXPECT_EQ(ListHostFromEnvironment("KB_TEST_LIST_HOST", "other:81").host, "other");
}

// A list host on loopback that reads one request and answers with the given
// pieces, one send each, a little apart.
struct FakeListHost {
  explicit FakeListHost(std::vector<std::string> pieces, bool close = true) {
    EXPECT_TRUE(listener.Open(0));
    thread = std::thread([this, pieces, close] {
      Poller poller;
      poller.Add(listener.Fd(), true, false);
      std::unique_ptr<TcpConnection> peer;
      if (poller.Wait(3000) <= 0 || listener.Accept(&peer) != AcceptResult::kConnection) return;
      char buffer[4096];
      for (int i = 0; i < 3000 && request.find("\r\n\r\n") == std::string::npos; ++i) {
        long got = peer->Receive(buffer, sizeof buffer);
        if (got > 0) request.append(buffer, got);
        if (got < 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      for (const std::string& piece : pieces) {
        peer->Send(piece);
        peer->Drain(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      if (!close) std::this_thread::sleep_for(std::chrono::milliseconds(400));
    });
  }
  ~FakeListHost() { Finish(); }
  void Finish() { if (thread.joinable()) thread.join(); }  // then request is safe to read
  ListHostAddress Address() const { return ParseListHost("127.0.0.1:" + std::to_string(listener.Port())); }

  TcpListener listener;
  std::string request;
  std::thread thread;
};

TEST(WebList, ExchangeCollectsTheAnswerAcrossReceivesOrFailsAsError) {
  InitNetwork();
  const std::string payload = "127.0.0.1\x02" "666\x02" "Mein Server\x02" "1";
  const struct {
    std::vector<std::string> pieces;
    bool close;
    int timeoutMs;
    std::string answer;
  } cases[] = {
      {{"HTTP/1.0 200 OK\r\n\r\n[da", "ta]" + payload.substr(0, 5), payload.substr(5) + "[/data]x"}, true, 3000,
       payload},
      // No start marker: not an answer, even with the end marker.
      {{"HTTP/1.0 500 Oops\r\n\r\nOK[/data]"}, true, 3000, "ERROR"},
      {{"[data]OK"}, false, 200, "ERROR"},  // the end marker never comes in time
      // A zero byte cuts its receive; what follows it in that receive is lost.
      {{std::string("[data]O\0junk", 12), "K[/data]"}, true, 3000, "OK"},
  };
  for (const auto& c : cases) {
    FakeListHost host(c.pieces, c.close);
    std::string sent = ListRequest("/kringel_server.php?m=get", host.Address());
    EXPECT_EQ(ExchangeWithListHost(host.Address(), sent, c.timeoutMs), c.answer) << c.pieces[0];
    host.Finish();
    EXPECT_EQ(host.request, sent);
  }
  TcpListener closed;
  ASSERT_TRUE(closed.Open(0));
  int port = closed.Port();
  closed.Close();
  EXPECT_EQ(ExchangeWithListHost(ParseListHost("127.0.0.1:" + std::to_string(port)), "x", 3000), "ERROR");
}

}  // namespace
}  // namespace kb
