#include "listd/list_service.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

#include "common/platform/core/address.h"
#include "listd/http_front.h"
#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

// What a registration's or deletion's answer says between its markers.
const std::string kOk = "OK", kError = "ERROR";
std::string Data(const std::string& answer) { return ExtractBetween(answer, "[data]", "[/data]"); }

// A service over a fresh database, a fake clock and a probe answering from a set of open ports.
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
        [this](const std::vector<Endpoint>& endpoints) {
          std::vector<bool> reachable;
          for (const Endpoint& e : endpoints)
            reachable.push_back(open.count({e.address, e.port}) > 0), ++probes;
          return reachable;
        },
        limits, [this](const std::string& line) { log.push_back(line); });
  }
  // A registration from a server whose port is open; `id` names it over both families.
  std::string Reg(const std::string& from, int port, const std::string& name = "Server", int pass = 0,
                  std::string_view id = {}) {
    open.insert({PlainAddress(from), port});
    std::string query =
        "m=reg&name=" + name + "&port=" + std::to_string(port) + "&pass=" + std::to_string(pass);
    return Data(service->Answer(from, query, id));
  }
  std::string Ask(const std::string& from, const std::string& query) {
    return Data(service->Answer(from, query));
  }
  std::string Get() { return service->Answer("9.9.9.9", "m=get"); }
};

std::string Entry(const std::string& address, int port, const std::string& name, int pass) {
  return address + '\x02' + std::to_string(port) + '\x02' + name + '\x02' + std::to_string(pass);
}

TEST(ListService, MalformedQueriesAreRefusedAndStoreNothing) {
  ServiceFixture f;
  f.open.insert({"1.2.3.4", 5000});
  const std::string valid = "&port=5000&pass=0", n = "m=reg&name=x";
  const std::string cases[] = {
      "", "m=", "m=GET", "m=foo", "name=x" + valid, "junk&m=get", "m=get&" + n + valid, "m=reg",
      n + "&port=5000", n + "&pass=0", "m=reg&name=" + valid, n + "&port=0&pass=0", n + "&port=65536&pass=0",
      n + "&port=-1&pass=0", n + "&port=+5000&pass=0", n + "&port=5000x&pass=0", n + "&port=%205000&pass=0",
      n + "&port=99999999999999999999&pass=0", n + "&port=5000&pass=2",
      n + "&port=5000&pass=", n + "&port=5000&pass=01", "m=reg&name=" + std::string(65, 'n') + valid,
      "m=reg&name=" + std::string(63, 'n') + "%20%20" + valid,
      // Bytes that would break the list's framing or lines.
      n + "\x02y" + valid, n + "\x03y" + valid, n + "\x04y" + valid, n + "\x7f" + valid, n + "\ny" + valid,
      n + "cut[/data]here" + valid, "m=reg&name=" + std::string(1100, 'n') + valid};
  for (const std::string& query : cases) EXPECT_TRUE(f.Ask("1.2.3.4", query).starts_with(kError)) << query;
  EXPECT_EQ(f.store.Count() + f.probes, 0) << f.store.Count() << " stored, " << f.probes << " probed";
  // A refused registration is logged with its reason.
  for (const char* why : {"the name has 65 bytes, the list takes at most 64", "pass is neither 0 nor 1"})
    EXPECT_GE(std::count(f.log.begin(), f.log.end(), "refused 1.2.3.4: " + std::string(why)), 1) << why;
}

TEST(ListService, NamesKeepWhatTheGameSends) {
  const std::pair<std::string, std::string> names[] = {
      {"Mein%20Server", "Mein Server"},
      {"A&B+C", "A&B+C"},  // only "%20" is encoded: '&' and '+' stay
      {"100%%20sicher", "100% sicher"},
      {"Gr\xFC\xDF!", "Gr\xFC\xDF!"},  // Latin-1 bytes, byte for byte
      {std::string(64, 'x'), std::string(64, 'x')},
      {std::string(62, 'x') + "%20", std::string(62, 'x') + " "}};
  ServiceFixture f({.entries = {.perAddress = 10}, .shownPerNetwork = 10});
  int port = 7000;
  for (const auto& [sent, stored] : names) {
    ++port;
    ASSERT_EQ(f.Reg("1.1.1.1", port, sent), kOk) << sent;
    EXPECT_TRUE(f.Get().starts_with("[data]" + Entry("1.1.1.1", port, stored, 0))) << sent;
  }
  // Keys in another order are read the same way.
  f.open.insert({"2.2.2.2", 80});
  EXPECT_EQ(f.Ask("2.2.2.2", "pass=1&port=80&m=reg&name=Zuletzt"), kOk);
  EXPECT_TRUE(f.Get().starts_with("[data]" + Entry("2.2.2.2", 80, "Zuletzt", 1)));
}

TEST(ListService, RegistrationRefreshOrderAndDeletion) {
  ServiceFixture f;
  EXPECT_EQ(f.Get(), "[data][/data]");
  // The port is checked at the requesting address, not anywhere else.
  f.open.insert({"5.5.5.5", 666});
  EXPECT_EQ(f.service->Answer("6.6.6.6", "m=reg&name=x&port=666&pass=0"),
            "[address]6.6.6.6[/address][data]ERROR unreachable 6.6.6.6 666[/data]");
  f.open.insert({"1.1.1.1", 666});
  EXPECT_EQ(f.service->Answer("1.1.1.1", "m=reg&name=Alt&port=666&pass=0"),
            "[address]1.1.1.1[/address][data]OK[/data]");
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
  EXPECT_EQ(f.Ask("1.1.1.1", "m=del&port=667"), kOk);
  EXPECT_EQ(f.log.back(), "deleted 1 entry of 1.1.1.1:667");
  EXPECT_EQ(f.Ask("1.1.1.1", "m=del&port=0"), kError);
  EXPECT_EQ(f.store.Count(), 2);
  EXPECT_EQ(f.Reg("1.1.1.1", 667, "Zweiter"), kOk);
  // Without a port, every entry of the requesting address and nothing else.
  EXPECT_EQ(f.Ask("1.1.1.1", "m=del"), kOk);
  EXPECT_EQ(f.Get(), "[data]" + Entry("2.2.2.2", 666, "Zwei", 1) + "[/data]");
  // Nothing left is still OK; a query may have 1024 bytes.
  EXPECT_EQ(f.Ask("1.1.1.1", "m=del&name=" + std::string(1013, 'x')), kOk);
  EXPECT_EQ(f.store.Count(), 1);
  EXPECT_EQ(f.Ask("2.2.2.2", "m=del"), kOk);
  EXPECT_EQ(f.log.at(f.log.size() - 2), "deleted 2 entries of 1.1.1.1");
  EXPECT_EQ(f.log.back(), "deleted 1 entry of 2.2.2.2");
}

// The same rules for both families: an IPv6 address counts by its /64 (a host rotating through it is one
// address), a network by its /48. So one network flooding from every address it has (an IPv6 /48: 256 /64s,
// each rotating) gets no more than an IPv4 /24, stored or shown.
TEST(ListService, EntriesAreBoundedPerAddressNetworkAndInTotalInBothFamilies) {
  for (bool v6 : {false, true}) {
    SCOPED_TRACE(v6 ? "IPv6" : "IPv4");
    // The address of host h in network n, and another address of the same host.
    auto at = [v6](int n, int h, int other = 0) {
      return v6 ? "2001:db8:" + std::to_string(n) + ":" + std::to_string(h) + "::" + std::to_string(1 + other)
                : "1.1." + std::to_string(n) + "." + std::to_string(h);
    };
    ServiceFixture f({.entries = {3, 4, 6}});  // per address, per network, in all
    for (int port = 1; port <= 3; ++port) EXPECT_EQ(f.Reg(at(1, 1, port), port), kOk);
    EXPECT_EQ(f.Reg(at(1, 1, 9), 4), "ERROR address-full");
    EXPECT_EQ(f.Reg(at(1, 1, 2), 2, "Erneuert"), kOk);  // a refresh is no new entry
    EXPECT_EQ(f.Reg(at(1, 2), 1), kOk);
    EXPECT_EQ(f.Reg(at(1, 3), 1), "ERROR network-full");
    EXPECT_EQ(f.log.back(), "refused " + at(1, 3) + ":1: its network holds enough entries");
    EXPECT_EQ(f.Reg(at(2, 1), 1), kOk);
    EXPECT_EQ(f.Reg(at(3, 3), 1), kOk);
    EXPECT_EQ(f.Reg(at(4, 4), 1), "ERROR list-full");
    EXPECT_EQ(f.store.Count(), 6);

    ServiceFixture flood;
    for (int host = 0; host < 256; ++host)
      for (int port = 1; port <= 8; ++port) flood.Reg(at(66, host, port), port);
    std::string list = flood.Get();
    EXPECT_EQ(flood.store.Count(), 16);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\x03'), 3);  // four shown
  }
}

// A server registered over both families with one id is one row: IPv4 first,
// as older clients read it, its IPv6 address after the flag. Without the
// same id and port the rows stay apart; an IPv6-only server is a row.
TEST(ListService, OneServerOverBothFamiliesIsOneRow) {
  ServiceFixture f;
  const std::string id = "0123456789abcdef0123456789abcdef", other = "fedcba9876543210";
  ASSERT_EQ(f.Reg("1.1.1.1", 666, "Beide", 0, id), kOk);
  ASSERT_EQ(f.Reg("2001:DB8::1", 666, "Beide", 0, id), kOk);
  ASSERT_EQ(f.Reg("2001:db8::1", 667, "Anderer Port", 0, id), kOk);
  ASSERT_EQ(f.Reg("2.2.2.2", 666, "Fremd", 0, other), kOk);
  ASSERT_EQ(f.Reg("2001:db8:2::2", 666, "Fremd6", 0, "not an id"), kOk);
  f.clock.Advance(1);
  EXPECT_EQ(f.Get(), "[data]" + Entry("2001:db8:2::2", 666, "Fremd6", 0) + '\x03' +
                         Entry("2.2.2.2", 666, "Fremd", 0) + '\x03' +
                         Entry("2001:db8::1", 667, "Anderer Port", 0) + '\x03' +
                         Entry("1.1.1.1", 666, "Beide", 0) +
                         "\x02"
                         "2001:db8::1[/data]");
  EXPECT_EQ(f.Ask("2001:db8::1", "m=del&port=666"), kOk);
  EXPECT_EQ(f.store.Count(), 4);
  EXPECT_NE(f.Get().find(Entry("1.1.1.1", 666, "Beide", 0) + "[/data]"), std::string::npos);
}

// Ten servers listed for a while, then a flood of new entries from many
// addresses and networks, each within its limits.
TEST(ListService, AFloodOfNewEntriesCannotPushOutServersThatStayed) {
  ServiceFixture f;
  for (int i = 0; i < 10; ++i) ASSERT_EQ(f.Reg("20.0." + std::to_string(i) + ".1", 666, "Stamm"), kOk);
  f.clock.Advance(60'000);
  for (int network = 0; network < 40; ++network)
    for (int host = 1; host <= 3; ++host)
      for (int port = 1; port <= 8; ++port)
        f.Reg("66." + std::to_string(network) + ".0." + std::to_string(host), port);
  std::string list = f.Get();
  auto count = [&list](const std::string& what) {
    int n = 0;
    for (size_t at = 0; (at = list.find(what, at)) != std::string::npos; ++at) ++n;
    return n;
  };
  // The whole list, the old servers in it, and no network with more than four places.
  EXPECT_EQ(count("\x03"), 51);
  EXPECT_EQ(count("Stamm"), 10);
  for (int network = 0; network < 40; ++network) EXPECT_LE(count("66." + std::to_string(network) + ".0."), 4);
  // The newest are shown too, and the list stays newest first.
  EXPECT_TRUE(list.starts_with("[data]66.39.0.")) << list.substr(0, 40);
}

TEST(ListService, OneCheckAtATimePerAddressAndAFewPerNetwork) {
  ServiceFixture f({.entries = {}, .checksPerNetwork = 2});
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> waiting{0};
  f.service = std::make_unique<ListService>(
      f.store, f.clock,
      [&](const std::vector<Endpoint>& endpoints) {
        // Checks of 1.1.1.x hang until released, as black-holed ports do.
        if (endpoints[0].address.starts_with("1.1.1."))
          ++waiting, released.wait_for(std::chrono::seconds(10));
        return std::vector<bool>(endpoints.size(), true);
      },
      f.limits);
  auto hold = [&](std::string& answer, const char* from) {  // until its check hangs
    int was = waiting;
    std::thread t([&answer, &f, from] { answer = f.Ask(from, "m=reg&name=x&pass=0&port=10"); });
    for (int i = 0; i < 1000 && waiting == was; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return t;
  };
  // While checks run, a second one of that address or a third of its network is refused at once; another
  // network still gets one.
  std::string held[2];
  std::thread first = hold(held[0], "1.1.1.1");
  EXPECT_EQ(f.Ask("1.1.1.1", "m=reg&name=x&port=20&pass=0"), "ERROR busy");
  std::thread second = hold(held[1], "1.1.1.2");
  EXPECT_EQ(f.Ask("1.1.1.3", "m=reg&name=x&port=20&pass=0"), "ERROR busy");
  EXPECT_EQ(f.Ask("2.2.2.2", "m=reg&name=y&port=20&pass=0"), kOk);
  release.set_value(), first.join(), second.join();
  EXPECT_TRUE(waiting == 2 && held[0] == kOk && held[1] == kOk);
  EXPECT_EQ(f.Ask("1.1.1.3", "m=reg&name=x&port=20&pass=0"), kOk);  // the slots came back
}

TEST(ListService, PruningRemovesEntriesAfterSeveralFailedChecksInARow) {
  ServiceFixture f({.entries = {}, .checkIntervalMs = 1000, .failuresToRemove = 3});
  ASSERT_TRUE(f.Reg("1.1.1.1", 1, "Stirbt") == kOk && f.Reg("2.2.2.2", 2, "Lebt") == kOk &&
              f.Reg("3.3.3.3", 3, "Wackelt") == kOk);
  f.open.erase({"1.1.1.1", 1}), f.open.erase({"3.3.3.3", 3});
  f.probes = 0;
  f.clock.Advance(999);
  EXPECT_EQ(f.service->PruneDue(), 0);
  EXPECT_EQ(f.probes, 0);  // nothing due before the interval
  auto round = [&] { return f.clock.Advance(1000), f.service->PruneDue(); };
  EXPECT_EQ(round() + round(), 0);
  EXPECT_EQ(f.probes, 6);
  // One good check starts the count again.
  f.open.insert({"3.3.3.3", 3});
  EXPECT_EQ(round(), 1);
  EXPECT_EQ(f.Get(), "[data]" + Entry("3.3.3.3", 3, "Wackelt", 0) + '\x03' + Entry("2.2.2.2", 2, "Lebt", 0) +
                         "[/data]");
  f.open.erase({"3.3.3.3", 3});
  EXPECT_EQ(round() + round(), 0);
  // A registration in between also starts it again.
  ASSERT_EQ(f.Reg("3.3.3.3", 3, "Wackelt"), kOk);
  f.open.erase({"3.3.3.3", 3});
  EXPECT_EQ(round() + round(), 0);
  EXPECT_EQ(round(), 1);
  EXPECT_EQ(f.Get(), "[data]" + Entry("2.2.2.2", 2, "Lebt", 0) + "[/data]");
}

// Another instance's writes show, and older versions open. A file that is no database, or that may not be
// written, is refused; writes to one nobody will open again would be lost: they fail, with the reason.
TEST(ListStore, FilesAreSharedAndUpgradedAndWhatCannotKeepWritesFailsLoudly) {
  TempDir dir;
  ListStore one, other;
  ASSERT_TRUE(one.Open(dir.File("list.sqlite")) && other.Open(dir.File("list.sqlite")));
  EXPECT_EQ(one.Put({"1.1.1.1", 666, "A", 1, 50, 50, 0}, {}), ListStore::Stored::kNew);
  EXPECT_EQ(one.Shown(52, 4).size(), 1u);  // though the list was just read:
  EXPECT_EQ(other.Put({"3.3.3.3", 668, "C", 0, 70, 70, 0}, {}), ListStore::Stored::kNew);
  EXPECT_EQ(one.Shown(52, 4).size(), 2u);
  // A file that is no database is reported, not used.
  dir.Write("broken.sqlite", std::string(4096, 'x'));
  ListStore broken;
  EXPECT_TRUE(!broken.Open(dir.File("broken.sqlite")) && !broken.Error().empty());
  // A file of an older version opens with its entries.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("old.sqlite").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(
                db,
                "CREATE TABLE entries (address TEXT NOT NULL, port INTEGER NOT NULL, name BLOB NOT NULL, "
                "pass INTEGER NOT NULL, confirmed INTEGER NOT NULL, checked INTEGER NOT NULL, "
                "failures INTEGER NOT NULL, PRIMARY KEY (address, port));"
                "INSERT INTO entries VALUES (CAST('1.1.1.1' AS BLOB), 666, CAST('Alt' AS BLOB), 0, 5, 5, 0)",
                nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  ListStore store;
  ASSERT_TRUE(store.Open(dir.File("old.sqlite"))) << store.Error();
  EXPECT_EQ(store.Put({"1.1.1.2", 667, "Neu", 0, 9, 9, 0}, {}), ListStore::Stored::kNew);
  std::vector<ListEntry> entries = store.Shown(52, 4);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[1].name == "Alt" && entries[1].listed == 0 && entries[0].listed == 9);

  ListStore missing;
  EXPECT_TRUE(!missing.Open("/nonexistent-folder/list.sqlite") &&
              missing.Error().find("No such file or directory") != std::string::npos)
      << missing.Error();
  {  // read-only beside another instance's journal files, as nobody: root writes anything
    ServiceFixture other;
    std::string path = other.dir.File("list.sqlite");
    for (const std::string& name : {other.dir.Path(), path + "-wal", path + "-shm"})
      std::filesystem::permissions(name, std::filesystem::perms::all);
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    int status = -1, child = fork();
    if (child == 0) _exit((getuid() == 0 && setuid(65534) != 0) || ListStore().Open(path));
    EXPECT_TRUE(child > 0 && waitpid(child, &status, 0) == child && status == 0) << status;
  }
  for (bool replace : {false, true}) {
    ServiceFixture f;
    ASSERT_EQ(f.Reg("1.1.1.1", 666), kOk);
    std::string path = f.dir.File("list.sqlite");
    std::filesystem::remove(path);
    if (replace) f.dir.Write("list.sqlite", "");
    std::string lost = replace ? " was replaced by another file" : " was removed";
    EXPECT_EQ(f.store.Lost(), lost.substr(1));
    EXPECT_EQ(f.Reg("1.1.1.1", 667), "ERROR storage");
    EXPECT_EQ(f.log.back(), "refused 1.1.1.1:667: storage failed: " + path + lost);
    EXPECT_EQ(f.Ask("1.1.1.1", "m=del"), kError);
    EXPECT_EQ(f.log.back(), "cannot delete the entries of 1.1.1.1: " + path + lost);
  }
}

TEST(HttpFront, RequestingAddressTrustsOnlyTheProxysOwnEntry) {
  const std::vector<std::string> proxy = {"10.0.0.1", "2001:db8::1"}, none;
  struct Case {
    const char *remote, *forwarded;
    const std::vector<std::string>& trusted;
    const char* want;
  } cases[] = {{"127.0.0.1", "", none, "127.0.0.1"},
               {"127.0.0.1", "9.9.9.9", none, "127.0.0.1"},
               {"127.0.0.1", "9.9.9.9", proxy, "127.0.0.1"},  // not the proxy
               {"::ffff:10.0.0.2", "", none, "10.0.0.2"},
               {"10.0.0.1", "9.9.9.9", proxy, "9.9.9.9"},
               {"::ffff:10.0.0.1", "5.5.5.5, 6.6.6.6, 9.9.9.9", proxy, "9.9.9.9"},
               {"10.0.0.1", "9.9.9.9 ,garbage", proxy, ""},
               {"10.0.0.1", "", proxy, "10.0.0.1"},
               {"::1", "", none, "::1"},
               {"fe80::1%eth0", "", none, ""},
               {"2001:db8:0::1", "2001:DB8::0:9", proxy, "2001:db8::9"},
               {"2001:db8::1", "[2001:db8::9]", proxy, "2001:db8::9"},
               {"2001:db8::2", "9.9.9.9", proxy, "2001:db8::2"}};
  for (const Case& c : cases)
    EXPECT_EQ(RequestingAddress(c.remote, c.forwarded, c.trusted), c.want) << c.remote << " " << c.forwarded;
}

}  // namespace
}  // namespace kb
