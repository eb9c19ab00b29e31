#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/net/discovery.h"
#include "server/nat_verdict.h"
#include "server/port_mapper.h"
#include "server/server_loop.h"
#include "tests/server/fake_gateway.h"
#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::FakeGateway;
using V = std::vector<std::string>;

// Wine binds a UDP socket asked for one loopback address to every address, so the fake router's NAT-PMP
// answers leave from 127.0.0.1 and libnatpmp rightly drops them. Under wine NAT-PMP is tested with a router
// outside it (tests/windows/server_port_mapping.sh).
bool FakeNatPmpAnswers() {
#ifdef _WIN32
  return !GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
#else
  return true;
#endif
}

PortMapper::Find Upnp(const std::string& url) {
  return [url] { return FindUpnpGateway({url, ""}, 500); };
}
PortMapper::Find Pmp(const std::string& address) {
  return [address] { return FindNatPmpGateway({"", address}, 600); };
}

// The first outcome of a mapper for port 4711 (bounded: the gateways' own limits are shorter).
PortMapping FirstOutcome(PortMapper& mapper, std::vector<PortMapper::Find> gateways, int lease = 3600) {
  mapper.gateways = std::move(gateways);
  mapper.leaseSeconds = lease;
  mapper.Start(4711);
  for (int i = 0; i < 1000; ++i) {
    if (std::optional<PortMapping> m = mapper.Poll()) return *m;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "no outcome";
  return {};
}

// Through miniupnpc and libnatpmp to the fake router: the game port asked for with our lease, the router's
// port and address taken as given, renewed at half the lease, removed at the stop (the calls after "|"); a
// mapping that never came leaves nothing to remove.
TEST(PortMapper, MapsRenewsAndRemovesTheForwarding) {
  const std::string add = "Add 4711>4711 127.0.0.1 ", a = add + "3600", any = "AddAny 4711>4711";
  const std::string map = "PMP map 4711>4711 ", pa = "PMP address", del = "PMP map 4711>0 0", ex = "External";
  const struct Case {
    std::string name;  // "upnp..." or "pmp..."
    FakeGateway::Behaviour router;
    int lease;
    int port;  // outside, 0: no mapping
    V calls;
  } cases[] = {
      {"upnp", {}, 2, 4711, {add + "2", "External", add + "2", "|", "Delete 4711"}},
      {"upnp taken", {.addError = 718, .anyPort = 40000}, 3600, 40000, {a, any, ex, "|", "Delete 40000"}},
      {"upnp permanent only", {.addError = 725}, 3600, 4711, {a, add + "0", "External", "|", "Delete 4711"}},
      {"upnp taken, no other", {.addError = 718}, 3600, 0, {a, any, "|"}},
      {"upnp lies about the port", {.addError = 718, .anyPort = 70000}, 3600, 0, {a, any, "|"}},
      {"upnp refuses", {.addError = 606}, 3600, 0, {a, "|"}},
      {"upnp garbage", {.garbage = true}, 3600, 0, {a, "|"}},
      {"pmp", {}, 2, 4711, {pa, map + "2", map + "2", "|", del}},
      {"pmp other port", {.pmpPort = 5000}, 3600, 5000, {pa, map + "3600", "|", del}},
      {"pmp refuses", {.pmpResult = 2}, 3600, 0, {pa, "|"}},
      {"pmp no lifetime", {.pmpLifetime = 0}, 3600, 0, {pa, map + "3600", "|"}},
      {"pmp wrong answer", {.pmpWrongOpcode = true}, 3600, 0, {pa, "|"}},
      {"pmp silent", {.pmpSilent = true}, 3600, 0, {pa, "|"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool upnp = c.name.starts_with("upnp");
    if (!upnp && !FakeNatPmpAnswers()) continue;
    FakeGateway router(c.router, FakeGateway::RandomLoopbackAddress());
    PortMapper mapper;
    PortMapping m =
        FirstOutcome(mapper, {upnp ? Upnp(router.DescriptionUrl()) : Pmp(router.PmpAddress())}, c.lease);
    EXPECT_EQ(m.mapped, c.port != 0);
    EXPECT_EQ(m.externalPort, c.port);
    std::string kind = !c.port ? m.kind + m.externalAddress : upnp ? "UPnP203.0.113.7" : "NAT-PMP203.0.113.7";
    EXPECT_EQ(m.kind + m.externalAddress, kind);
    auto stop = std::find(c.calls.begin(), c.calls.end(), "|");
    // A short lease is renewed with the same ports, unnoticed by the loop.
    EXPECT_TRUE(c.lease >= 10 || router.WaitFor(*(stop - 1), 5000, 2));
    // libnatpmp resends unanswered requests on its own.
    V calls = router.Log();
    if (c.router.pmpSilent) calls.resize(1);
    EXPECT_EQ(calls, V(c.calls.begin(), stop));
    EXPECT_FALSE(mapper.Poll().has_value());
    mapper.Stop(5000);
    V all(c.calls.begin(), stop);
    all.insert(all.end(), stop + 1, c.calls.end());
    EXPECT_EQ(c.router.pmpSilent ? all : router.Log(), all);
  }
}

// No UPnP device at the URL: NAT-PMP is asked next. A router that never
// answers holds neither the first outcome past its limit nor the stop.
TEST(PortMapper, FallsBackAndNeverWaitsLongerThanItsLimits) {
  if (FakeNatPmpAnswers()) {
    FakeGateway pmp({.externalAddress = "100.64.1.2"}, FakeGateway::RandomLoopbackAddress());
    PortMapper mapper;
    PortMapping m = FirstOutcome(mapper, {Upnp("http://127.0.0.1:9/rootDesc.xml"), Pmp(pmp.PmpAddress())});
    EXPECT_TRUE(m.mapped && m.kind == "NAT-PMP" && m.externalAddress == "100.64.1.2");
    mapper.Stop(5000);
    EXPECT_EQ(pmp.Log().back(), "PMP map 4711>0 0");
  }

  // miniupnpc gives up on its own (after 5 s here); a stop never waits that long.
  FakeGateway slow({.delayMs = 60000});
  PortMapper hung, stopped;
  EXPECT_FALSE(FirstOutcome(hung, {Upnp(slow.DescriptionUrl())}).mapped);
  stopped.gateways = {Upnp(slow.DescriptionUrl())};
  stopped.Start(4711);
  ASSERT_TRUE(slow.WaitFor("Add", 5000, 2));
  stopped.Stop(100);
  EXPECT_FALSE(stopped.Poll().has_value());
}

// Run in a network namespace of its own (namespace.sh), where
// the SSDP search's multicast stays on loopback: the router is found by it.
TEST(PortMapper, DISABLED_FindsTheRouterBySearchingTheLan) {
  FakeGateway router({.ssdp = true});
  PortMapper mapper;
  PortMapping m = FirstOutcome(mapper, {[] { return FindUpnpGateway({}, 1000); }});
  EXPECT_TRUE(m.mapped && m.externalPort == 4711 && m.kind == "UPnP");
  mapper.Stop(5000);
  V log = router.Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "Search");
  EXPECT_EQ(V(log.end() - 3, log.end()), (V{"Add 4711>4711 127.0.0.1 3600", "External", "Delete 4711"}));
}

TEST(NatVerdict, SecondNatIsSeenInTheRoutersOrTheListsAddress) {
  // The router's outer address, the one the list saw and the verdict.
  const std::tuple<const char*, const char*, NatVerdict> cases[] = {
      {"203.0.113.7", "203.0.113.7", NatVerdict::kFine},
      {"203.0.113.7", "", NatVerdict::kFine},
      {"203.0.113.7", "2001:db8::1", NatVerdict::kFine},
      {"", "198.51.100.1", NatVerdict::kFine},
      {"garbage", "198.51.100.1", NatVerdict::kFine},
      {"203.0.113.7", "198.51.100.1", NatVerdict::kOtherAddress},
      {"203.0.113.7", "::ffff:198.51.100.1", NatVerdict::kOtherAddress},
      {"100.64.0.1", "", NatVerdict::kPrivateOutside},
      {"100.127.255.254", "100.127.255.254", NatVerdict::kPrivateOutside},
      {"100.128.0.1", "", NatVerdict::kFine},
      {"100.63.255.255", "", NatVerdict::kFine},
      {"10.1.2.3", "", NatVerdict::kPrivateOutside},
      {"172.16.0.1", "", NatVerdict::kPrivateOutside},
      {"172.32.0.1", "", NatVerdict::kFine},
      {"192.168.178.1", "", NatVerdict::kPrivateOutside},
      {"0.0.0.0", "", NatVerdict::kPrivateOutside},
      {"169.254.1.1", "", NatVerdict::kPrivateOutside},
  };
  for (const auto& [gateway, seen, verdict] : cases)
    EXPECT_EQ(JudgeNat(gateway, seen), verdict) << gateway << " " << seen;
  EXPECT_NE(NatVerdictText(NatVerdict::kPrivateOutside, "100.64.0.1", "").find("100.64.0.1"),
            std::string::npos);
  EXPECT_NE(NatVerdictText(NatVerdict::kOtherAddress, "203.0.113.7", "198.51.100.1").find("198.51.100.1"),
            std::string::npos);
}

// Every way to register waits for the router and names the port it gave; the LAN answer keeps the game port.
// A router whose outer address is shared, or not the one the list saw, has the operator told, in the box and
// the administrators' chat; the exit removes the forwarding. Without port opening the request goes at once.
TEST(PortMapper, TheLoopRegistersThePortPlayersReach) {
  const std::string fw = "Der Router leitet Port", ok = "Server erfolgreich", hat = "Der Router hat ";
  const struct Case {
    bool open;
    const char* outside;
    const char* seen;
    V shown;  // the texts' beginnings
  } cases[] = {
      {true, "100.64.3.4", "100.64.3.4", {fw, hat + "selbst nur die interne Adresse 100.64.3.4", ok}},
      {true,
       "203.0.113.7",
       "198.51.100.9",
       {fw, ok, hat + "die Adresse 203.0.113.7, die Serverliste sieht aber 198.51.100.9"}},
      {true, "203.0.113.7", "203.0.113.7", {fw, ok}},
      {false, "203.0.113.7", "", {ok}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown.back());
    FakeGateway router({.externalAddress = c.outside, .addError = 718, .anyPort = 40000});
    testing::SteppedServer s;
    ServerLoop& loop = s.loop;
    s.settings.hidden = false;
    loop.openPortToRegister = c.open;
    loop.Mapper().gateways = {Upnp(router.DescriptionUrl())};
    std::mutex mutex;
    V requests;
    std::vector<OperatorMessage> shown;
    loop.Registration().deleteHost = ParseListHost("127.0.0.1:9");
    loop.Registration().exchange = [&](const ListHostAddress&, const std::string& r) {
      std::lock_guard lock(mutex);
      requests.push_back(r);
      return ListAnswer{"OK", c.seen, true};
    };
    loop.Registration().show = [&](const OperatorMessage& m) { shown.push_back(m); };
    loop.Game().startRegisterEntry();
    for (int i = 0; i < 500 && loop.Game().entryState != 1; ++i) loop.RunOnce(10);
    ASSERT_EQ(loop.Game().entryState, 1);
    ASSERT_EQ(requests.size(), 1u);
    std::string port = std::to_string(c.open ? 40000 : s.settings.port);
    EXPECT_NE(requests[0].find("&port=" + port + "&"), std::string::npos) << requests[0];
    std::optional<std::string> lan = loop.Game().AnswerDiscovery(kDiscoveryRequest);
    ASSERT_TRUE(lan) << "hidden";
    EXPECT_NE(lan->find(std::to_string(s.settings.port)), std::string::npos);
    ASSERT_EQ(shown.size(), c.shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
      EXPECT_TRUE(shown[i].text.starts_with(c.shown[i])) << shown[i].text;
      EXPECT_EQ(shown[i].warning, c.shown[i].starts_with(hat)) << shown[i].text;
    }
    EXPECT_EQ(shown[0].text.find("Port 40000") != std::string::npos, c.open) << shown[0].text;
    loop.Shutdown();
    EXPECT_EQ(router.Log().empty() ? "" : router.Log().back(), c.open ? "Delete 40000" : "");
  }
  // Asked for without a registration (--open-port): a refusal is the operator's to read.
  FakeGateway refusing({.addError = 606});
  testing::SteppedServer s;
  ServerLoop& loop = s.loop;
  loop.Mapper().gateways = {Upnp(refusing.DescriptionUrl())};
  std::vector<OperatorMessage> shown;
  loop.Registration().show = [&](const OperatorMessage& m) { shown.push_back(m); };
  loop.OpenPort();
  for (int i = 0; i < 500 && shown.empty(); ++i) loop.RunOnce(10);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].warning && shown[0].text == "Kein Router hat Port " + std::to_string(s.settings.port) +
                                                       " ge\xF6"
                                                       "ffnet.");
}

}  // namespace
}  // namespace kb
