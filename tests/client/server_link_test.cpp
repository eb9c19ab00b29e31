#include "client/core/server_link.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "client/core/browser_route.h"
#include "common/net/protocol.h"
#include "common/platform/core/socket.h"
#include "tests/client/harness.h"
#include "tests/support/socket_options.h"

namespace kb {
namespace {

// Asks as the frame loop does, a millisecond apart, for at most ten seconds.
std::unique_ptr<ServerLink> Await(std::unique_ptr<LinkAttempt> attempt) {
  std::unique_ptr<ServerLink> link;
  for (int i = 0; i < 10000 && !attempt->Poll(link); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return link;
}

// A real loopback peer that accepts and never reads: the link reports itself broken once its queue passes the
// bound, and never blocks the caller.
TEST(ServerLink, AServerThatStopsReadingBreaksTheLink) {
  TcpListener listener;
  ASSERT_TRUE(listener.Open(0));
  auto link = Await(OpenServerLink("localhost", listener.Port()));
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
  EXPECT_EQ(Await(OpenServerLink("127.0.0.1", closedPort)), nullptr);
}

// An address that never answers (a listener whose queue is full drops the connects) keeps the attempt
// pending, without blocking, until its time limit.
TEST(ServerLink, AnAttemptGivesUpAtItsTimeLimit) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows refuses connects to a full queue at once";
#endif
  TcpListener hole;
  ASSERT_TRUE(hole.Open(0));
  testing::StopAnswering(hole.Fd());
  std::vector<std::unique_ptr<TcpConnectAttempt>> queued;
  for (int i = 0; i < 4; ++i) queued.push_back(std::make_unique<TcpConnectAttempt>("127.0.0.1", hole.Port(), true, 60000));
  for (auto& q : queued) q->Poll();
  TcpConnectAttempt attempt("127.0.0.1", hole.Port(), true, 300);
  auto start = std::chrono::steady_clock::now();
  int polls = 0;
  for (; polls < 10000 && !attempt.Failed(); ++polls) {
    EXPECT_EQ(attempt.Poll(), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(attempt.Failed());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

// A page reaches its list's servers through the relay on its own origin (by any spelling of a listed
// address), others directly only from an http: page; an https: page says why it cannot, after the failure.
TEST(BrowserRoute, ListedServersGoThroughTheRelayOthersOnlyFromPlainPages) {
  ListedServers listed;
  listed.Note({{"A", "192.0.2.5 2001:db8::5", 666}, {"B", "198.51.100.7", 667}});
  PageOrigin https{true, "liste.example.org", 443}, http{false, "liste.example.org", 80};
  using R = BrowserRoute;
  struct Case { const char* host; int port; const PageOrigin& page; R route; } cases[] = {
      {"192.0.2.5", 666, https, R::kRelay},        {"[2001:DB8::5]", 666, https, R::kRelay},
      {"192.0.2.5 2001:db8::5", 666, http, R::kRelay}, {"198.51.100.7", 667, https, R::kRelay},
      {"192.0.2.5", 667, https, R::kUnreachable},  {"spiel.example.org", 666, https, R::kUnreachable},
      {"192.0.2.9", 666, http, R::kDirect},        {"liste.example.org", 443, https, R::kDirect}};
  for (const Case& c : cases) EXPECT_EQ(ChooseBrowserRoute(c.host, c.port, listed, c.page), c.route) << c.host;
  EXPECT_EQ(RelayPath("192.0.2.5 2001:db8::5", 666), "/play?address=192.0.2.5&port=666");
  EXPECT_EQ(RelayPath("[2001:DB8::5]", 666), "/play?address=2001%3Adb8%3A%3A5&port=666");

  ConsoleTestClient c;
  c.client.net.openLink = [](const std::string&, int) { return DecidedAttempt(nullptr, kUnlistedOnSecurePage); };
  c.Run("connect 192.0.2.9 666");
  PollConnecting(c.client);
  EXPECT_EQ(c.Texts(), (Strings{"Konnte nicht mit Server 192.0.2.9 auf port 666 verbinden.", kUnlistedOnSecurePage}));
}

}  // namespace
}  // namespace kb
