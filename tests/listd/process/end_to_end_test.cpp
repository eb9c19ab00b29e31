#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "common/net/web_list.h"
#include "common/platform/core/address.h"
#include "tests/platform/temp_dir.h"
#include "tests/server/fake_gateway.h"
#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"

namespace kb {
namespace {

using testing::ChildProcess;
std::string listdBinary, serverBinary;

std::string Entry(int port, const std::string& name, int pass, const std::string& address = "127.0.0.1") {
  return address + "\x02" + std::to_string(port) + "\x02" + name + "\x02" + std::to_string(pass);
}

// A headless server on a free port: with `registers`, once its registration was confirmed. Its port, 0 when
// the registration failed.
std::pair<std::unique_ptr<ChildProcess>, int> StartServer(const std::string& list, const std::string& name,
                                                          const std::string& password, bool registers,
                                                          std::vector<std::string> env = {}) {
  std::vector<std::string> args = {
      serverBinary,         "--headless", "--port", "0",  "--list-host", list,
      "--list-delete-host", list,         "--name", name, "--password",  password};
  if (registers) args.push_back("--register");
  auto child = std::make_unique<ChildProcess>(args, std::move(env));
  // The registration's confirmation may come before or after the port.
  int port = 0;
  bool registered = !registers;
  for (int i = 0; i < 10 && !(port && registered); ++i) {
    std::string line = child->ReadLine();
    if (line.empty()) break;
    std::smatch match;
    if (std::regex_search(line, match, std::regex("Port: (\\d+)"))) port = std::stoi(match[1]);
    registered = registered || line == "Kringelbahn Server: Server erfolgreich eingetragen.";
  }
  return {std::move(child), registered ? port : 0};
}

// The list service on `bind` (on a free port unless one is given), its database in `dir`.
struct ListProcess {
  ListProcess(const TempDir& dir, const std::string& bind = "127.0.0.1", const std::string& port = "0")
      : process({listdBinary, "--port", port, "--bind", bind, "--db", dir.File("list.sqlite")}) {
    listening = process.Until("listening on " + bind + " port (\\d+), database .*, (\\d+) entr");
    if (!listening.empty()) host = ParseListHost(HostForUrl(bind) + ":" + listening[1]);
  }
  std::string Get() {
    return ExchangeWithListHost(host, ListRequest("/kringel_server.php?m=get", host), 5000);
  }
  ChildProcess process;
  std::vector<std::string> listening;  // the line, its port and the entries held
  ListHostAddress host;
};

// The real programs: the service starts and serves HTTP, servers register at start (over IPv6 too, checked
// over the entry's family) and leave when stopped, the store outlives a restart, and a service that can store
// nothing stops.
TEST(ListEndToEnd, ServersRegisterAreListedAndLeaveTheList) {
  TempDir dir;
  auto service = std::make_unique<ListProcess>(dir);
  ASSERT_FALSE(service->listening.empty());
  auto server = [&](const std::string& name, const std::string& password) {
    return StartServer(service->host.header, name, password, true);
  };
  // Registered at start; the second one protected by a password.
  auto [a, portA] = server("Erster Server", "");
  auto [b, portB] = server("Zweiter Server", "geheim");
  ASSERT_TRUE(portA && portB) << "a server did not register";
  EXPECT_EQ(service->Get(), Entry(portB, "Zweiter Server", 1) + "\x03" + Entry(portA, "Erster Server", 0));
  // One the list cannot reach where it saw it come from (it listens elsewhere) is told why.
  ChildProcess hidden({serverBinary, "--headless", "--port", "0", "--bind", "127.0.0.2", "--list-host",
                       service->host.header, "--name", "Versteckt", "--register"});
  EXPECT_FALSE(
      hidden
          .Until("^Fehler: Server konnte nicht eingetragen werden: Port \\d+ ist unter 127\\.0\\.0\\.1 "
                 "aus dem Internet nicht erreichbar\\.$")
          .empty());
  EXPECT_EQ(hidden.Finish(SIGTERM), 0);

  // The second shuts down: its deletion names its port, so the first server's entry on the same host stays.
  EXPECT_EQ(b->Finish(SIGTERM), 0);
  EXPECT_EQ(service->Get(), Entry(portA, "Erster Server", 0));

  // A restarted service still has the entry.
  std::string listPort = service->listening[1];
  EXPECT_EQ(service->process.Finish(SIGTERM), 0);
  service = std::make_unique<ListProcess>(dir, "127.0.0.1", listPort);
  ASSERT_TRUE(!service->listening.empty() && service->listening[2] == "1");
  EXPECT_EQ(service->Get(), Entry(portA, "Erster Server", 0));
  EXPECT_EQ(a->Finish(SIGTERM), 0);
  EXPECT_EQ(service->Get(), "");
  EXPECT_EQ(service->process.Finish(SIGTERM), 0);

  service = std::make_unique<ListProcess>(dir, "::1");
  ASSERT_FALSE(service->listening.empty());
  auto [c, portC] = server("Dritter Server", "");
  ASSERT_TRUE(portC) << "no registration over IPv6";
  EXPECT_EQ(service->Get(), Entry(portC, "Dritter Server", 0, "::1"));
  EXPECT_EQ(c->Finish(SIGTERM), 0);
  EXPECT_EQ(service->Get(), "");
  EXPECT_EQ(service->process.Finish(SIGTERM), 0);

  // A service whose database file is removed can store nothing more: it says so and fails.
  service = std::make_unique<ListProcess>(dir);
  ASSERT_FALSE(service->listening.empty());
  std::filesystem::remove(dir.File("list.sqlite"));
  EXPECT_FALSE(
      service->process.Until("the database .*list.sqlite was removed: nothing can be stored, stopping$")
          .empty());
  EXPECT_EQ(service->process.Finish(0), 1);
}

// A browser's WebSocket through the service's relay reaches a listed server and plays there, counted by the
// player's own address: five strangers from five addresses all get in, where the server's cap of four
// strangers per address would stop the fifth had they counted as the relay's. A server that registers nowhere
// counts the same peer's openings by that peer, whatever it forwards.
TEST(ListEndToEnd, RelayJoinsBrowsersToListedServersByTheirOwnAddress) {
  using testing::Wire;
  using testing::WireClient;
  TempDir dir;
  ListProcess service(dir);
  ASSERT_FALSE(service.listening.empty());
  int listPort = service.host.port;
  auto server = [&](bool registers) { return StartServer(service.host.header, "Relais", "", registers); };
  auto [listed, listedPort] = server(true);
  auto [alone, alonePort] = server(false);
  ASSERT_TRUE(listedPort && alonePort);

  struct Case {
    int port;
    bool relayed;
    int admitted;
  } cases[] = {{listedPort, true, 5}, {alonePort, false, 4}};
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<WireClient>> players;
    for (int i = 0; i < 5; ++i) {
      std::string from = "127.0.0." + std::to_string(10 + i);
      players.push_back(
          c.relayed ? std::make_unique<WireClient>(Wire::kWebSocket, "",
                                                   "/play?address=127.0.0.1&port=" + std::to_string(c.port))
                    : std::make_unique<WireClient>(Wire::kWebSocket, "X-Forwarded-For: " + from + "\r\n"));
      ASSERT_TRUE(
          players.back()->Connect(c.relayed ? listPort : c.port, 0, c.relayed ? from.c_str() : nullptr));
      players.back()->Next(300);  // the answer, before the next one comes
    }
    int admitted = 0;
    for (auto& p : players)
      if (p->Answer().starts_with("HTTP/1.1 101 ")) {
        ++admitted;
        EXPECT_TRUE(p->Send("JOIN") && p->WaitFor("SERVER^Relais")) << c.port;
      }
    EXPECT_EQ(admitted, c.admitted) << c.port;
  }
  EXPECT_EQ(listed->Finish(SIGTERM), 0);
  EXPECT_EQ(alone->Finish(SIGTERM), 0);
  EXPECT_EQ(service.process.Finish(SIGTERM), 0);
}

// Behind the fake router: the game port is forwarded before the registration, the list checks and lists it,
// and SIGTERM removes the forwarding. Without a router the server registers its own port.
TEST(ListEndToEnd, ServerBehindARouterHasItsPortForwardedUntilItEnds) {
  TempDir dir;
  ListProcess service(dir);
  ASSERT_FALSE(service.listening.empty());
  testing::FakeGateway router({});
  for (bool behind : {true, false}) {
    SCOPED_TRACE(behind);
    size_t before = router.Log().size();
    std::vector<std::string> env;
    if (behind) env.push_back("KRINGELBAHN_UPNP_DESCRIPTION=" + router.DescriptionUrl());
    auto [server, port] = StartServer(service.host.header, "Zuhause", "", true, env);
    ASSERT_TRUE(port);
    std::string p = std::to_string(port);
    using V = std::vector<std::string>;
    V forwarded = {"Add " + p + ">" + p + " 127.0.0.1 3600", "External"};
    auto heard = [&] {
      V log = router.Log();
      return V(log.begin() + static_cast<long>(before), log.end());
    };
    EXPECT_EQ(heard(), behind ? forwarded : V{});
    EXPECT_EQ(service.Get(), Entry(port, "Zuhause", 0));
    EXPECT_EQ(server->Finish(SIGTERM), 0);
    forwarded.push_back("Delete " + p);
    EXPECT_EQ(heard(), behind ? forwarded : V{});
  }
  EXPECT_EQ(service.process.Finish(SIGTERM), 0);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 2) kb::listdBinary = argv[1], kb::serverBinary = argv[2];
  return RUN_ALL_TESTS();
}
