#include "server/list_registration.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/platform/core/poller.h"
#include "server/server_loop.h"
#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using V = std::vector<std::string>;

// A list host stand-in: the tasks block in it until the test answers.
struct FakeHost {
  std::mutex mutex;
  std::condition_variable changed;
  V requests;
  std::deque<std::string> answers;

  // An answer is the response's text ("X" short for "[data]X[/data]"); "" is none in time.
  ListAnswer Exchange(const std::string& request) {
    std::unique_lock lock(mutex);
    requests.push_back(request), changed.notify_all();
    if (!changed.wait_for(lock, std::chrono::seconds(10), [&] { return !answers.empty(); })) return {};
    std::string a = answers.front();
    answers.pop_front();
    if (a.empty()) return {};
    ListResponse response;
    response.Add(a.find("[data]") != std::string::npos ? a : "[data]" + a + "[/data]");
    return {response.Payload(), response.SeenAddress(), response.Complete()};
  }
  bool WaitRequests(size_t n) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return requests.size() >= n; });
  }
  void Answer(const std::string& a) {
    std::lock_guard lock(mutex);
    answers.push_back(a), changed.notify_all();
  }
};

struct RegistrationFixture : testing::GameFixture {
  FakeHost host;
  ListRegistration registration{game, settings};
  std::vector<OperatorMessage> shown;

  RegistrationFixture() {
    settings.port = 4711;
    settings.adminPassword = "chef";
    registration.listHost = ParseListHost("list.example:8080");
    registration.deleteHost = ParseListHost("del.example");
    registration.exchange = [this](const ListHostAddress&, const std::string& r) { return host.Exchange(r); };
    registration.show = [this](const OperatorMessage& m) { shown.push_back(m); };
    // 1 and 3 administrators, 2 a player.
    Join(1, 3);
    Admin("LOGIN chef", 3), Admin("LOGIN chef", 1);
    sent.log.clear();
  }
  // Waits until only `left` tasks run, then lets the loop apply the results of the others.
  void Finish(int left = 0) {
    for (int i = 0; i < 1000 && registration.Running() > left; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    registration.Drain();
  }
};

TEST(ListRegistration, RequestsCarryTheSettingsAsTheyWereAtTheStart) {
  RegistrationFixture f;
  auto reg = [](const char* pass) {
    return std::string("GET /kringel_server.php?m=reg&name=Test%20Server&port=4711&pass=") + pass +
           " HTTP/1.0\r\nHost: list.example:8080\r\nConnection: close\r\n\r\n";
  };
  f.settings.passwordBox = true;  // checked but empty: not protected
  EXPECT_EQ(f.registration.RegisterRequest(), reg("0"));
  f.settings.password = "x";
  f.registration.StartRegister();
  // Changed while the task waits: the request was made at the start.
  f.settings.name = "Other";
  ASSERT_TRUE(f.host.WaitRequests(1));
  f.registration.StartDelete();
  ASSERT_TRUE(f.host.WaitRequests(2));
  f.host.Answer("ERROR"), f.host.Answer("ERROR");
  f.Finish();
  EXPECT_EQ(f.host.requests, (V{reg("1"),
                                "GET /kringel_server.php?m=del&port=4711 HTTP/1.0\r\nHost: del.example\r\n"
                                "Connection: close\r\n\r\n"}));
}

// A task's answer sets the entry state, tells the logged-in administrators
// in table order and the operator in one box; only "OK" is success.
TEST(ListRegistration, ResultsSetTheStateAndTellAdminsAndOperator) {
  // Registering or deleting, the entry state before, the host's answer and the state after.
  const std::tuple<bool, int, const char*, int> cases[] = {
      {true, 0, "OK", 1},  {true, 1, "ERROR", 0},  {true, 0, "ok", 0},
      {false, 1, "OK", 0}, {false, 1, "ERROR", 2},
  };
  for (const auto& [registering, before, answer, state] : cases) {
    SCOPED_TRACE(std::string(registering ? "register: " : "delete: ") + answer);
    RegistrationFixture f;
    f.game.entryState = before;
    registering ? f.registration.StartRegister() : f.registration.StartDelete();
    EXPECT_EQ(f.game.entryState, registering ? -1 : 2);  // under way
    ASSERT_TRUE(f.host.WaitRequests(1));
    f.registration.Drain();  // still waiting: nothing to apply
    EXPECT_TRUE(f.sent.log.empty() && f.shown.empty());
    f.host.Answer(answer);
    f.Finish();
    EXPECT_EQ(f.game.entryState, state);
    bool ok = answer == std::string("OK");
    V all = f.sent.All();
    ASSERT_TRUE(all.size() == 2u && f.shown.size() == 1u) << all.size();
    EXPECT_TRUE(all[0].starts_with("1: ADMIN^") && all[1].starts_with("3: ") &&
                all[1].substr(1) == all[0].substr(1));
    EXPECT_TRUE(all[0].ends_with(ok ? "^65280" : "^255")) << all[0];
    EXPECT_EQ(f.shown[0].warning, !ok);
  }
  EXPECT_FALSE(EntryButtons::RegisterEnabled(-1));
  EXPECT_TRUE(EntryButtons::RegisterEnabled(2));
  EXPECT_TRUE(EntryButtons::DeleteEnabled(1));
  EXPECT_FALSE(EntryButtons::DeleteEnabled(2) || EntryButtons::DeleteEnabled(0));
}

// A refusal's reason reaches the operator and the administrators in German; an answer without one, or
// with one this server does not know, reads as before; a host that never answers is named. A success
// keeps the address the host saw.
TEST(ListRegistration, RefusalsSayWhyAndSuccessKeepsTheAddressSeen) {
  const std::string failed = "Server konnte nicht eingetragen werden",
                    unreachable = ": Der Spielport ist aus dem Internet nicht erreichbar.";
  // The host's answer and why the operator reads it failed.
  const std::pair<std::string, std::string> cases[] = {
      {"[address]203.0.113.5[/address][data]ERROR unreachable 203.0.113.5 4711[/data]",
       ": Port 4711 ist unter 203.0.113.5 aus dem Internet nicht erreichbar."},
      {"ERROR unreachable 2001:DB8::0:1 4711",
       ": Port 4711 ist unter 2001:db8::1 aus dem Internet nicht erreichbar."},
      {"ERROR unreachable 203.0.113.x 4711", unreachable},
      {"ERROR unreachable 203.0.113.5 0", unreachable},
      {"ERROR unreachable", unreachable},
      {"ERROR address-full", ": Von dieser Adresse sind schon genug Server eingetragen."},
      {"ERROR busy",
       ": Die Liste pr\xFC"
       "ft gerade zu viele Server; bitte sp\xE4ter noch einmal versuchen."},
      {"ERROR", "."},
      {"ERROR list-fullish", "."},
      {"ERRORlist-full", "."},
      {"", ": list.example:8080 antwortet nicht."},
  };
  for (const auto& [answer, why] : cases) {
    SCOPED_TRACE(answer);
    RegistrationFixture f;
    f.registration.StartRegister();
    ASSERT_TRUE(f.host.WaitRequests(1));
    f.host.Answer(answer);
    f.Finish();
    ASSERT_EQ(f.shown.size(), 1u);
    EXPECT_EQ(f.shown[0].text, failed + why);
    EXPECT_EQ(f.sent.All()[0], "1: ADMIN^Der " + failed + why + "^255");
  }
  RegistrationFixture f;
  for (const char* seen : {"203.0.113.5", "irgendwas"}) {
    f.registration.StartRegister();
    f.host.Answer(std::string("[address]") + seen + "[/address][data]OK[/data]");
    f.Finish();
    EXPECT_EQ(f.registration.SeenAddress(), seen[0] == '2' ? seen : "");
  }
}

TEST(ListRegistration, TheLastTaskToFinishDecidesAndTasksAreBounded) {
  RegistrationFixture f;
  f.registration.StartDelete();
  ASSERT_TRUE(f.host.WaitRequests(1));
  f.registration.StartRegister();
  ASSERT_TRUE(f.host.WaitRequests(2));
  f.host.Answer("OK");  // one of them ends first
  f.Finish(1);
  int first = f.game.entryState;  // 1: the registration ended first
  ASSERT_TRUE(first == 0 || first == 1) << first;
  f.host.Answer("OK");
  f.Finish();
  EXPECT_EQ(f.game.entryState, 1 - first);
  // More tasks than kMaxTasks at once: the surplus fails at once.
  f.shown.clear();
  for (int i = 0; i < ListRegistration::kMaxTasks + 1; ++i) f.registration.StartRegister();
  ASSERT_TRUE(f.host.WaitRequests(2 + ListRegistration::kMaxTasks));
  f.registration.Drain();
  ASSERT_TRUE(f.shown.size() == 1u && f.shown[0].warning);
  for (int i = 0; i < ListRegistration::kMaxTasks; ++i) f.host.Answer("OK");
  f.Finish();
  EXPECT_EQ(f.shown.size(), 1u + ListRegistration::kMaxTasks);
  EXPECT_EQ(f.game.entryState, 1);
}

// The loop's shutdown sends the short deletion when an entry exists, and
// goes on when the delete host is gone (the last case).
TEST(ListRegistration, ShutdownSendsTheShortDeletionOnlyWithAnEntry) {
  const int states[] = {0, 1, 2, -1, 1};
  for (const int& state : states) {
    testing::SteppedServer s;
    TcpListener host;
    ASSERT_TRUE(host.Open(0));
    s.loop.Registration().deleteHost = ParseListHost("127.0.0.1:" + std::to_string(host.Port()));
    s.loop.Game().entryState = state;
    if (&state == &states[4]) {
      host.Close();
      EXPECT_TRUE(s.loop.Registration().SendExitDeletion().empty());
      continue;
    }
    s.loop.Shutdown();
    std::unique_ptr<TcpConnection> got;
    Poller poller;
    poller.Add(host.Fd(), true, false);
    if (state == 0) {  // no entry: nothing to delete
      EXPECT_EQ(poller.Wait(200), 0);
      continue;
    }
    ASSERT_GT(poller.Wait(5000), 0) << state;
    ASSERT_EQ(host.Accept(&got), AcceptResult::kConnection);
    std::string request;
    char buffer[512];
    for (long n; (n = got->Receive(buffer, sizeof buffer)) >= 0;) {
      request.append(buffer, static_cast<size_t>(n));
      if (n == 0 && poller.Wait(50) == 0) break;
    }
    EXPECT_EQ(request, "GET /kringel_server.php?m=del&port=" + std::to_string(s.settings.port) +
                           " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(host.Port()) + "\r\n\r\n")
        << state;
  }
}

}  // namespace
}  // namespace kb
