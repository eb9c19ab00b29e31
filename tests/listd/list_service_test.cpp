#include "listd/list_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <set>
#include <thread>

#include "listd/http_front.h"
#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

const std::string kOk(kListOk), kError(kListFailed);

// A service over a fresh database with a fake clock and a probe that
// answers from a set of open ports.
struct ServiceFixture {
  TempDir dir;
  ListStore store;
  ManualClock clock{1'000'000};
  std::set<std::pair<std::string, int>> open;
  std::atomic<int> probes{0};
  ListServiceLimits limits;
  std::unique_ptr<ListService> service;
  std::vector<std::string> log;

  explicit ServiceFixture(ListServiceLimits l = {}) : limits(l) {
    EXPECT_TRUE(store.Open(dir.File("list.sqlite"))) << store.Error();
    service = std::make_unique<ListService>(
        store, clock,
        [this](const std::string& a, int p) {
          ++probes;
          return open.count({a, p}) > 0;
        },
        limits, [this](const std::string& line) { log.push_back(line); });
  }
  std::string Reg(const std::string& from, int port, const std::string& name = "Server", int pass = 0) {
    open.insert({from, port});
    return service->Answer(
        from, "m=reg&name=" + name + "&port=" + std::to_string(port) + "&pass=" + std::to_string(pass));
  }
  std::string Get() { return service->Answer("9.9.9.9", "m=get"); }
};

std::string Entry(const std::string& address, int port, const std::string& name, int pass) {
  return address + '\x02' + std::to_string(port) + '\x02' + name + '\x02' + std::to_string(pass);
}

TEST(ListService, MalformedQueriesAreRefusedAndStoreNothing) {
  ServiceFixture f;
  f.open.insert({"1.2.3.4", 5000});
  const std::string valid = "&port=5000&pass=0";
  const std::string cases[] = {
      "",
      "m=",
      "m=GET",
      "m=foo",
      "name=x&port=5000&pass=0",
      "junk&m=get",
      "m=get&m=reg&name=x" + valid,
      "m=reg",
      "m=reg&name=x&port=5000",
      "m=reg&name=x&pass=0",
      "m=reg&name=" + valid,
      "m=reg&name=%20",  // only a space is still a name; no port though
      "m=reg&name=x&port=0&pass=0",
      "m=reg&name=x&port=65536&pass=0",
      "m=reg&name=x&port=-1&pass=0",
      "m=reg&name=x&port=+5000&pass=0",
      "m=reg&name=x&port=5000x&pass=0",
      "m=reg&name=x&port=%205000&pass=0",
      "m=reg&name=x&port=99999999999999999999&pass=0",
      "m=reg&name=x&port=5000&pass=2",
      "m=reg&name=x&port=5000&pass=",
      "m=reg&name=x&port=5000&pass=01",
      "m=reg&name=" + std::string(65, 'n') + valid,
      "m=reg&name=" + std::string(63, 'n') + "%20%20" + valid,
      "m=reg&name=a\x02"
      "b" +
          valid,
      "m=reg&name=a\x03"
      "b" +
          valid,
      "m=reg&name=a\x04"
      "b" +
          valid,
      "m=reg&name=a\x7f" + valid,
      "m=reg&name=a\nb" + valid,
      "m=reg&name=cut[/data]here" + valid,
      "m=reg&name=" + std::string(1100, 'n') + valid,
  };
  for (const std::string& query : cases) EXPECT_EQ(f.service->Answer("1.2.3.4", query), kError) << query;
  EXPECT_EQ(f.store.Count(), 0);
  EXPECT_EQ(f.probes, 0);  // refused before anyone is contacted
  // Every refused registration is logged with its reason.
  f.log.clear();
  f.service->Answer("1.2.3.4", "m=reg&name=" + std::string(65, 'n') + valid);
  f.service->Answer("1.2.3.4", "m=reg&name=x&port=5000&pass=2");
  EXPECT_EQ(f.log,
            (std::vector<std::string>{"refused 1.2.3.4: the name has 65 bytes, the list takes at most 64",
                                      "refused 1.2.3.4: pass is neither 0 nor 1"}));
}

TEST(ListService, NamesKeepWhatTheGameSends) {
  const std::pair<std::string, std::string> names[] = {
      {"Mein%20Server", "Mein Server"},
      {"A&B+C", "A&B+C"},  // only "%20" is encoded: '&' and '+' stay
      {"100%%20sicher", "100% sicher"},
      {"Gr\xFC\xDF"
       "e",
       "Gr\xFC\xDF"
       "e"},  // Latin-1 bytes, stored byte for byte
      {std::string(64, 'x'), std::string(64, 'x')},
      {std::string(62, 'x') + "%20", std::string(62, 'x') + " "},
  };
  ListServiceLimits limits;
  limits.entriesPerAddress = 10;
  ServiceFixture f(limits);
  int port = 7000;
  for (const auto& [sent, stored] : names) {
    ++port;
    ASSERT_EQ(f.Reg("1.1.1.1", port, sent), kOk) << sent;
    EXPECT_TRUE(f.Get().starts_with("[data]" + Entry("1.1.1.1", port, stored, 0))) << sent;
  }
  // Keys in another order are read the same way.
  f.open.insert({"2.2.2.2", 80});
  EXPECT_EQ(f.service->Answer("2.2.2.2", "pass=1&port=80&m=reg&name=Zuletzt"), kOk);
  EXPECT_TRUE(f.Get().starts_with("[data]" + Entry("2.2.2.2", 80, "Zuletzt", 1)));
}

TEST(ListService, RegistrationRefreshOrderAndDeletion) {
  ServiceFixture f;
  EXPECT_EQ(f.Get(), "[data][/data]");
  // The port is checked at the requesting address, not anywhere else.
  f.open.insert({"5.5.5.5", 666});
  EXPECT_EQ(f.service->Answer("6.6.6.6", "m=reg&name=x&port=666&pass=0"), kError);
  EXPECT_EQ(f.Reg("1.1.1.1", 666, "Alt"), kOk);
  f.clock.Advance(10);
  EXPECT_EQ(f.Reg("2.2.2.2", 666, "Zwei", 1), kOk);
  f.clock.Advance(10);
  EXPECT_EQ(f.Reg("1.1.1.1", 667, "Zweiter"), kOk);
  EXPECT_EQ(f.Get(), "[data]" + Entry("1.1.1.1", 667, "Zweiter", 0) + '\x03' +
                         Entry("2.2.2.2", 666, "Zwei", 1) + '\x03' + Entry("1.1.1.1", 666, "Alt", 0) +
                         "[/data]");
  // Registering again refreshes: one entry, new name and flag, first in the list.
  f.clock.Advance(10);
  EXPECT_EQ(f.Reg("1.1.1.1", 666, "Neu", 1), kOk);
  EXPECT_EQ(f.store.Count(), 3);
  EXPECT_TRUE(f.Get().starts_with("[data]" + Entry("1.1.1.1", 666, "Neu", 1) + '\x03'));
  // A deletion naming a port takes only that entry (two servers on one
  // host); a bad port is refused and deletes nothing.
  EXPECT_EQ(f.service->Answer("1.1.1.1", "m=del&port=667"), kOk);
  EXPECT_EQ(f.log.back(), "deleted 1 entry of 1.1.1.1:667");
  EXPECT_EQ(f.service->Answer("1.1.1.1", "m=del&port=0"), kError);
  EXPECT_EQ(f.store.Count(), 2);
  EXPECT_EQ(f.Reg("1.1.1.1", 667, "Zweiter"), kOk);
  // Without a port, every entry of the requesting address and nothing else.
  EXPECT_EQ(f.service->Answer("1.1.1.1", "m=del"), kOk);
  EXPECT_EQ(f.Get(), "[data]" + Entry("2.2.2.2", 666, "Zwei", 1) + "[/data]");
  EXPECT_EQ(f.service->Answer("1.1.1.1", "m=del"), kOk);  // nothing left: still OK
  EXPECT_EQ(f.store.Count(), 1);
  EXPECT_EQ(f.service->Answer("2.2.2.2", "m=del"), kOk);
  EXPECT_EQ(f.log.at(f.log.size() - 2), "deleted 2 entries of 1.1.1.1");
  EXPECT_EQ(f.log.back(), "deleted 1 entry of 2.2.2.2");
}

TEST(ListService, EntriesAreBoundedPerAddressAndInTotal) {
  ListServiceLimits limits;
  limits.entriesPerAddress = 3;
  limits.entriesTotal = 5;
  ServiceFixture f(limits);
  for (int port = 1; port <= 3; ++port) EXPECT_EQ(f.Reg("1.1.1.1", port), kOk);
  EXPECT_EQ(f.Reg("1.1.1.1", 4), kError);
  EXPECT_EQ(f.Reg("1.1.1.1", 2, "Erneuert"), kOk);  // a refresh is no new entry
  EXPECT_EQ(f.Reg("2.2.2.2", 1), kOk);
  EXPECT_EQ(f.Reg("3.3.3.3", 1), kOk);
  EXPECT_EQ(f.Reg("4.4.4.4", 1), kError);
  EXPECT_EQ(f.store.Count(), 5);
  // The list shows at most the client's 52 entries.
  ListServiceLimits wide;
  wide.entriesPerAddress = 100;
  ServiceFixture g(wide);
  for (int port = 1; port <= 60; ++port) ASSERT_EQ(g.Reg("1.1.1.1", port), kOk);
  std::string list = g.Get();
  EXPECT_EQ(std::count(list.begin(), list.end(), '\x03'), 51);
}

TEST(ListService, ChecksWaitingAtOnceAreBoundedPerAddress) {
  ServiceFixture f;
  std::mutex mutex;
  std::condition_variable changed;
  int waiting = 0;
  bool release = false;
  ListService service(f.store, f.clock, [&](const std::string&, int) {
    std::unique_lock lock(mutex);
    ++waiting;
    changed.notify_all();
    changed.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
    return true;
  });
  std::vector<std::thread> slow;
  std::vector<std::string> answers(5);
  for (int i = 0; i < 4; ++i)
    slow.emplace_back([&, i] {
      answers[i] = service.Answer("1.1.1.1", "m=reg&name=x&pass=0&port=" + std::to_string(10 + i));
    });
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return waiting == 4; }));
  }
  // A fifth check of that address is refused at once; another address still gets one.
  EXPECT_EQ(service.Answer("1.1.1.1", "m=reg&name=x&port=20&pass=0"), kError);
  std::thread other([&] { answers[4] = service.Answer("2.2.2.2", "m=reg&name=y&port=20&pass=0"); });
  {
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return waiting == 5; }));
    release = true;
    changed.notify_all();
  }
  for (auto& t : slow) t.join();
  other.join();
  for (const std::string& a : answers) EXPECT_EQ(a, kOk);
  // The slots came back.
  EXPECT_EQ(service.Answer("1.1.1.1", "m=reg&name=x&port=20&pass=0"), kOk);
}

TEST(ListService, PruningRemovesEntriesAfterSeveralFailedChecksInARow) {
  ListServiceLimits limits;
  limits.checkIntervalMs = 1000;
  limits.failuresToRemove = 3;
  ServiceFixture f(limits);
  ASSERT_EQ(f.Reg("1.1.1.1", 1, "Stirbt"), kOk);
  ASSERT_EQ(f.Reg("2.2.2.2", 2, "Lebt"), kOk);
  ASSERT_EQ(f.Reg("3.3.3.3", 3, "Wackelt"), kOk);
  f.open.erase({"1.1.1.1", 1});
  f.open.erase({"3.3.3.3", 3});
  f.probes = 0;
  f.clock.Advance(999);
  EXPECT_EQ(f.service->PruneDue(), 0);
  EXPECT_EQ(f.probes, 0);  // nothing due before the interval
  auto round = [&] { return f.clock.Advance(1000), f.service->PruneDue(); };
  EXPECT_EQ(round(), 0);
  EXPECT_EQ(f.probes, 3);
  EXPECT_EQ(round(), 0);
  // One good check starts the count again.
  f.open.insert({"3.3.3.3", 3});
  EXPECT_EQ(round(), 1);
  EXPECT_EQ(f.Get(), "[data]" + Entry("3.3.3.3", 3, "Wackelt", 0) + '\x03' + Entry("2.2.2.2", 2, "Lebt", 0) +
                         "[/data]");
  f.open.erase({"3.3.3.3", 3});
  EXPECT_EQ(round(), 0);
  EXPECT_EQ(round(), 0);
  // A registration in between also starts it again.
  ASSERT_EQ(f.Reg("3.3.3.3", 3, "Wackelt"), kOk);
  f.open.erase({"3.3.3.3", 3});
  EXPECT_EQ(round(), 0);
  EXPECT_EQ(round(), 0);
  EXPECT_EQ(round(), 1);
  EXPECT_EQ(f.Get(), "[data]" + Entry("2.2.2.2", 2, "Lebt", 0) + "[/data]");
}

TEST(ListStore, EntriesSurviveAReopen) {
  TempDir dir;
  {
    ListStore store;
    ASSERT_TRUE(store.Open(dir.File("list.sqlite")));
    EXPECT_EQ(store.Put({"1.1.1.1", 666,
                         "Gr\xFC\xDF"
                         "e",
                         1, 50, 50, 0},
                        8, 100),
              ListStore::Stored::kNew);
    EXPECT_EQ(store.Put({"2.2.2.2", 667, "B", 0, 60, 60, 0}, 8, 100), ListStore::Stored::kNew);
  }
  ListStore again;
  ASSERT_TRUE(again.Open(dir.File("list.sqlite")));
  std::vector<ListEntry> entries = again.Newest(52);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].address, "2.2.2.2");
  EXPECT_EQ(entries[1].name,
            "Gr\xFC\xDF"
            "e");
  EXPECT_EQ(entries[1].pass, 1);
  // A file that is no database is reported, not used.
  dir.Write("broken.sqlite", std::string(4096, 'x'));
  ListStore broken;
  EXPECT_FALSE(broken.Open(dir.File("broken.sqlite")));
  EXPECT_FALSE(broken.Error().empty());
}

TEST(HttpFront, RequestingAddressTrustsOnlyTheProxysOwnEntry) {
  const std::vector<std::string> proxy = {"10.0.0.1"}, none;
  struct Case {
    const char* remote;
    const char* forwarded;
    const std::vector<std::string>& trusted;
    const char* want;
  } cases[] = {
      {"127.0.0.1", "", none, "127.0.0.1"},
      {"127.0.0.1", "9.9.9.9", none, "127.0.0.1"},
      {"127.0.0.1", "9.9.9.9", proxy, "127.0.0.1"},  // not the proxy
      {"::ffff:10.0.0.2", "", none, "10.0.0.2"},
      {"10.0.0.1", "9.9.9.9", proxy, "9.9.9.9"},
      {"::ffff:10.0.0.1", "6.6.6.6, 9.9.9.9", proxy, "9.9.9.9"},
      {"10.0.0.1", "9.9.9.9 ,garbage", proxy, ""},
      {"10.0.0.1", "", proxy, "10.0.0.1"},
      {"::1", "", none, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RequestingAddress(c.remote, c.forwarded, c.trusted), c.want) << c.remote << " " << c.forwarded;
}

}  // namespace
}  // namespace kb
