#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "client/core/internet_list_fetch.h"
#include "client/core/lan_search.h"
#include "client/core/server_list_hooks.h"
#include "client/core/server_list_state.h"
#include "common/platform/core/socket.h"
#include "tests/client/harness.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

using namespace std::literals;

ServerListEntry Entry(std::string name, std::string address, int port, int players = 0, int password = 0,
                      std::string id = "") {
  return {std::move(name), std::move(address), port, players, password, std::move(id)};
}

// Same address and port: the same server answering again, listed once with its first answer; the web list
// keeps what the host sends. A server that answers a search over both families sends its id both times: one
// row, with the IPv4 address, which needs no interface. Servers without an id, or with another, are told
// apart by address and port. The table holds 52 rows and cuts long names.
TEST(ServerList, CountsFromMinusOneListsEachServerOnceAndBoundsTheTable) {
  ServerList list;
  EXPECT_EQ(list.Count(), 0);
  uint64_t token = list.Begin();
  EXPECT_EQ(list.Count(), -1);
  using R = ServerList::AddResult;
  // clang-format off
  const std::tuple<ServerListEntry, bool, R> adds[] = {
      {Entry("a", "10.0.0.1", 666, 1), true, R::kAdded}, {Entry("b", "10.0.0.1", 667), true, R::kAdded},
      {Entry("a again", "10.0.0.1", 666, 9), true, R::kDuplicate},
      {Entry("c", "10.0.0.2", 666), true, R::kAdded},
      {Entry("c", "10.0.0.2", 666), false, R::kAdded},
      {Entry("d", "fe80::1%2", 700, 0, 0, "id-d"), true, R::kAdded},
      {Entry("d", "10.0.0.1", 700, 0, 0, "id-d"), true, R::kDuplicate},
      {Entry("e", "10.0.0.2", 700, 0, 0, "id-e"), true, R::kAdded},
      {Entry("e", "fe80::2%2", 700, 0, 0, "id-e"), true, R::kDuplicate},
      {Entry("f", "fe80::3%2", 700), true, R::kAdded}, {Entry("f", "10.0.0.3", 700), true, R::kAdded}};
  // clang-format on
  for (const auto& [entry, lan, result] : adds)
    EXPECT_EQ(list.Add(token, entry, lan), result) << entry.name << " " << entry.address << " " << lan;
  EXPECT_EQ(list.Count(), 8);
  std::string rows;
  for (const ServerListEntry& e : list.Entries())
    rows += e.name + "@" + e.address + ":" + std::to_string(e.port) + "/" + std::to_string(e.players) + " ";
  EXPECT_EQ(rows,
            "a@10.0.0.1:666/1 b@10.0.0.1:667/0 c@10.0.0.2:666/0 c@10.0.0.2:666/0 d@10.0.0.1:700/0 "
            "e@10.0.0.2:700/0 f@fe80::3%2:700/0 f@10.0.0.3:700/0 ");
  for (int i = list.Count(); i < kServerListSize; ++i)
    ASSERT_EQ(list.Add(token, Entry(std::string(300, 'n'), "10.0.0.1", 1000 + i), true), R::kAdded);
  EXPECT_EQ(list.Add(token, Entry("53rd", "10.0.0.9", 1), true), R::kFull);
  list.Finish(token);
  EXPECT_EQ(list.Count(), kServerListSize);
  EXPECT_EQ(list.Entries().back().port, 1000 + kServerListSize - 1);
  EXPECT_EQ(list.Entries().back().name.size(), kServerNameLimit);
}

TEST(ServerList, ANewSearchTakesTheTableFromTheOldOne) {
  ServerList list;
  uint64_t old = list.Begin();
  list.Add(old, Entry("old", "10.0.0.1", 1), true);
  list.Finish(old);
  uint64_t fresh = list.Begin();
  EXPECT_FALSE(list.Current(old));
  EXPECT_EQ(list.Add(old, Entry("late", "10.0.0.2", 2), true), ServerList::AddResult::kStale);
  list.Finish(old);  // the old search ending must not end the new one
  EXPECT_EQ(list.Count(), -1);
  EXPECT_TRUE(list.Entries().empty());
  // An address found by the old search is new again; a search without result ends at 0.
  EXPECT_EQ(list.Add(fresh, Entry("old", "10.0.0.1", 1), true), ServerList::AddResult::kAdded);
  list.Finish(fresh);
  EXPECT_EQ(list.Count(), 1);
  list.Finish(list.Begin());
  EXPECT_EQ(list.Count(), 0);
}

// Fields joined by the field separator.
std::string Fields(std::initializer_list<std::string> fields) {
  std::string out;
  for (const std::string& f : fields) out += (out.empty() ? "" : std::string(1, kFieldSeparator)) + f;
  return out;
}

TEST(ServerList, LanAnswersParse) {
  const std::string tag = "KRINGELBAHN SERVER";
  // entry: name|port|players|password|id, or nothing; missing fields count as 0, a port is needed.
  // clang-format off
  struct Case { std::string datagram; const char* entry; } cases[] = {
      {Fields({tag, "Mein%20Server", "666", "3", "1"}), "Mein Server|666|3|1|"},
      {Fields({tag, "X", "667", "0", "0\0"s, "junk"}), "X|667|0|0|"},
      {Fields({tag, "Y", "1234"}), "Y|1234|0|0|"},
      {Fields({tag, "Z", "666", "1", "0", "0123456789abcdef"}), "Z|666|1|0|0123456789abcdef"},
      {Fields({tag, "Z", "666", "1", "0", std::string(40, 'f')}),
       "Z|666|1|0|ffffffffffffffffffffffffffffffff"},
      {"KRINGELBAHN CLIENT", nullptr}, {Fields({tag + "X", "Y", "666"}), nullptr},
      {Fields({"kringelbahn server", "Y", "666"}), nullptr}, {"\0"s + Fields({tag, "Y", "666"}), nullptr},
      {"", nullptr}, {tag, nullptr}, {Fields({tag, "Y", "0"}), nullptr},
      {Fields({tag, "Y", "70000"}), nullptr}};
  // clang-format on
  for (const Case& c : cases) {
    auto e = ParseLanAnswer(c.datagram, "192.168.1.5");
    ASSERT_EQ(e.has_value(), c.entry != nullptr) << c.datagram;
    if (!e) continue;
    EXPECT_EQ(e->address, "192.168.1.5");
    EXPECT_EQ(e->name + "|" + std::to_string(e->port) + "|" + std::to_string(e->players) + "|" +
                  std::to_string(e->hasPassword) + "|" + e->id,
              c.entry);
  }
}

TEST(ServerList, SelectionWrapsAndClicksPickRows) {
  // Up and Down wrap and cancel each other; a search or an empty list forces row 0; a click picks the row
  // under it, from the frame's top border on, and below the last row changes nothing.
  // clang-format off
  struct Case { int selected, count; bool up, down; int clickY, want; } cases[] = {
      {0, 3, true, false, -1, 2}, {2, 3, false, true, -1, 0}, {1, 3, true, true, -1, 1},
      {5, 3, false, false, -1, 0},
      {0, -1, false, true, -1, 0}, {2, 0, false, false, -1, 0}, {0, 3, false, false, 120, 0},
      {2, 3, false, false, 121, 0}, {0, 3, false, false, 141, 0}, {0, 3, false, false, 142, 1},
      {0, 3, false, false, 181, 2}, {1, 3, false, false, 182, 1},
      {1, -1, false, false, 125, 0}};  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(SelectServer(c.selected, c.count, c.up, c.down, c.clickY), c.want)
        << c.selected << " " << c.count << " " << c.up << c.down << " " << c.clickY;
}

// A list screen with entries put straight into the table.
struct ListScreen : SpineClient {
  explicit ListScreen(int state, int entries) {
    client.frame.gameState = state;
    ServerList& list = client.serverList.list;
    token = list.Begin();
    for (int i = 0; i < entries; ++i)
      list.Add(token, Entry(std::string("S").append(std::to_string(i)), "127.0.0.1", 40000 + i, i, i % 2),
               true);
    if (entries >= 0) list.Finish(token);
  }
  uint64_t token;
};

TEST(ServerListScreens, EnterAndTheButtonsTakeTheSelectedServer) {
  // "Verbinden" sits elsewhere on each screen; nothing to pick while empty or searching.
  // clang-format off
  struct Case { int state, entries, key, clickX, clickY; bool connects; } cases[] = {
      {kStateNetLan, 3, scan::kEnter, 0, 0, true}, {kStateNetWeb, 3, scan::kEnter, 0, 0, true},
      {kStateNetLan, 3, 0, 235, 530, true}, {kStateNetWeb, 3, 0, 325, 530, true},
      {kStateNetWeb, 3, 0, 235, 530, false},
      {kStateNetLan, 0, scan::kEnter, 0, 0, false}, {kStateNetLan, -1, scan::kEnter, 0, 0, false},
      {kStateNetWeb, 0, 0, 325, 530, false}};  // clang-format on
  for (const Case& c : cases) {
    ListScreen s(c.state, c.entries);
    s.Tap(scan::kDown);
    if (c.key)
      s.Tap(c.key);
    else
      s.Click(c.clickX, c.clickY);
    EXPECT_EQ(s.client.serverLabel, c.connects ? "S1" : "")
        << c.state << " " << c.entries << " " << c.key << " " << c.clickX;
    if (c.connects) {
      EXPECT_EQ(s.client.serverAddress + ":" + std::to_string(s.client.serverPort), "127.0.0.1:40001");
    }
  }
}

TEST(ServerListScreens, F5SearchesAgainOnlyWhenNoSearchRuns) {
  for (int state : {kStateNetLan, kStateNetWeb}) {
    ListScreen running(state, -1);
    running.Tap(scan::kF5);
    EXPECT_TRUE(running.client.serverList.list.Current(running.token)) << state;

    ListScreen done(state, 2);
    // A LAN search with nothing to find, kept off the real ports.
    done.client.serverList.lanPorts = {1, 1};
    done.client.serverList.lanSearchMs = 0;
    done.Tap(scan::kF5);
    EXPECT_FALSE(done.client.serverList.list.Current(done.token)) << state;
    done.Passes([&] { return !done.client.serverList.search; });
    // The Internet list's host is a closed loopback port here: nothing found.
    EXPECT_EQ(done.client.serverList.list.Count(), 0) << state;
  }
}

// A search is stepped once a pass until it is over; a new one takes the table from it at once.
TEST(ServerListSearch, ANewSearchReplacesTheOneUnderWay) {
  struct Counted final : ServerListSearch {
    Counted(int& steps, int last, const char* name) : steps(steps), last(last), name(name) {}
    bool Step(ServerList& list, uint64_t token) override {
      if (++steps < last) return false;
      list.Add(token, Entry(name, "10.0.0.1", 1), true);
      return true;
    }
    int& steps;
    int last;
    const char* name;
  };
  ServerListState state;
  int first = 0, second = 0;
  StartSearch(state, std::make_unique<Counted>(first, 100, "first"));
  StepSearch(state);
  StartSearch(state, std::make_unique<Counted>(second, 3, "second"));
  EXPECT_EQ(state.list.Count(), -1);
  for (int i = 0; i < 10; ++i) StepSearch(state);
  EXPECT_EQ(first + second, 1 + 3);
  ASSERT_EQ(state.list.Count(), 1);
  EXPECT_EQ(state.list.Entries()[0].name, "second");
  EXPECT_EQ(state.search, nullptr);
}

// What the host sends between the markers; its HTTP and markers: tests/net.
TEST(InternetListFetch, EntriesOfThePayloadUpToTheTablesSize) {
  std::string many;
  for (int i = 0; i < 55; ++i)
    many += Fields({"127.0.0.1", std::to_string(5000 + i), "S", "0"}) + kEntrySeparator;
  std::pair<std::string, size_t> cases[] = {
      {Fields({"1.1.1.1", "1", "A", "0"}) + kEntrySeparator + Fields({"2.2.2.2", "2", "B", "1"}), 2},
      {"ERROR", 0},
      {"ERROR" + std::string(1, kEntrySeparator) + Fields({"5.6.7.8", "x"}), 2},  // only alone an error
      {"", 0},
      {many, kServerListSize},
  };
  for (const auto& [payload, count] : cases) EXPECT_EQ(ParseListPayload(payload).size(), count) << payload;
  // A server over both families: its IPv6 address after the four fields; connections try both.
  std::string rows;
  for (const char* v6 : {"2001:DB8::0:5", "10.0.0.9", "kein", ""})
    rows += ParseListPayload(Fields({"192.0.2.5", "666", "S", "0", v6}))[0].address + "|";
  rows += ParseListPayload(Fields({"2001:db8::6", "666", "S", "0", "2001:db8::7"}))[0].address;
  EXPECT_EQ(rows, "192.0.2.5 2001:db8::5|192.0.2.5|192.0.2.5|192.0.2.5|2001:db8::6");
  EXPECT_EQ(ServerHosts("192.0.2.5 2001:db8::5"), (std::vector<std::string>{"192.0.2.5", "2001:db8::5"}));
}

// The list host on loopback, served between the client's frames: one request, one answer, then the close.
TEST(InternetListFetch, TheMenuFetchesFromTheConfiguredHost) {
  InitNetwork();
  TcpListener host;
  ASSERT_TRUE(host.Open(0));
  const std::string hostText = "127.0.0.1:" + std::to_string(host.Port());
  std::string saved = getenv(kListHostVariable) ? getenv(kListHostVariable) : "";
  testing::SetEnv(kListHostVariable, hostText);
  SpineClient c;
  c.client.frame.gameState = kStateNetChoose;
  c.Tap(scan::kF1);
  EXPECT_EQ(c.State(), kStateNetWeb);
  std::unique_ptr<TcpConnection> peer;
  std::string request;
  c.Passes([&] {
    if (peer || host.Accept(&peer) == AcceptResult::kConnection) {
      char buffer[4096];
      long got = peer->Receive(buffer, sizeof buffer);
      if (got > 0) request.append(buffer, static_cast<size_t>(got));
      if (got > 0 && request.ends_with("\r\n\r\n")) {
        peer->Send("HTTP/1.0 200 OK\r\n\r\n[data]" + Fields({"127.0.0.1", "7777", "Gast%20Server", "1"}) +
                   "[/data]");
        peer->Drain(2000);
        peer.reset();
      }
    }
    return !c.client.serverList.search;
  });
  testing::SetEnv(kListHostVariable, saved);
  EXPECT_EQ(request,
            "GET /kringel_server.php?m=get HTTP/1.0\r\nHost: " + hostText + "\r\nConnection: close\r\n\r\n");
  ASSERT_EQ(c.client.serverList.list.Count(), 1);
  const ServerListEntry e = c.client.serverList.list.Entries()[0];
  EXPECT_EQ(e.name + "|" + std::to_string(e.port) + "|" + std::to_string(e.hasPassword),
            "Gast%20Server|7777|1");
}

}  // namespace
}  // namespace kb
