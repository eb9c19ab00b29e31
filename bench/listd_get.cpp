// kb-bench-libs: kb_listd kb_net
// Load driver: "m=get" of a 52-entry list from the list service on loopback,
// each request on its own connection as the game's list fetch makes it.
// Usage: bench_listd_get [clients=8] [seconds=5]
//        bench_listd_get --attack [seconds=5] [--host 127.0.0.1:PORT]
// --attack measures one honest client (five lists a second) while 20
// addresses hold 10 connections each that trickle a request a byte a second,
// and 20 more register ports that never answer, as fast as they are answered.
// --host aims it at a running list service instead of one in this process.
//        bench_listd_get --prune N
// times one check pass over N entries whose ports never answer (2 s each,
// side by side), and how long a stop takes to end such a pass.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"
#include "listd/http_front.h"
#include "listd/http_gate.h"
#include "listd/list_service.h"

namespace {

using Clock = std::chrono::steady_clock;

// A TCP connection to 127.0.0.1:port from the local address `from`; its
// connect, sends and receives wait at most 2 s.
int ConnectFrom(const std::string& from, int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  remote.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
  timeval limit{2, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);  // the connect too
  if (fd >= 0 && (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
                  connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0)) {
    close(fd);
    return -1;
  }
  return fd;
}

// Until end: connections that never finish a request, opened again when
// the service closes them.
void Trickle(const std::string& from, int port, Clock::time_point end, const std::atomic<bool>& done) {
  const char request[] = "GET /kringel_server.php?m=get HTTP/1.1\r\nHost: x\r\n";
  std::vector<int> fds(10, -1);
  std::vector<size_t> sent(10, 0);
  for (int round = 0; round < 3600 && Clock::now() < end && !done; ++round) {
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i] < 0) fds[i] = ConnectFrom(from, port), sent[i] = 0;
      if (fds[i] < 0) continue;
      if (send(fds[i], request + sent[i] % (sizeof request - 1), 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1) {
        close(fds[i]);
        fds[i] = -1;
      }
      ++sent[i];
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  for (int fd : fds)
    if (fd >= 0) close(fd);
}

// Until end: registrations of a port that never answers, one after another.
void Flood(const std::string& from, int port, int deadPort, Clock::time_point end, const std::atomic<bool>& done) {
  std::string request = "GET /kringel_server.php?m=reg&name=Flut&port=" + std::to_string(deadPort) +
                        "&pass=0 HTTP/1.0\r\n\r\n";
  for (int i = 0; i < 100000 && Clock::now() < end && !done; ++i) {
    int fd = ConnectFrom(from, port);
    if (fd < 0) continue;
    char buffer[512];
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) > 0)
      while (recv(fd, buffer, sizeof buffer, 0) > 0) {
      }
    close(fd);
  }
}

}  // namespace

// The pruning pass over entries whose ports never answer, and its stop.
int Prune(int count) {
  char folder[] = "/tmp/kb_bench_listd_XXXXXX";
  kb::TcpListener hole;
  if (!mkdtemp(folder) || !hole.Open(0) || ::listen(hole.Fd(), 0) != 0) return 1;
  std::vector<std::unique_ptr<kb::TcpConnection>> queued;
  for (int i = 0; i < 4; ++i) queued.push_back(kb::TcpConnection::Open("127.0.0.1", hole.Port(), false, 100));
  kb::ListStore store;
  if (!store.Open(std::string(folder) + "/list.sqlite")) return 1;
  for (int i = 0; i < count; ++i)
    store.Put({"127." + std::to_string(i / 64 % 256) + "." + std::to_string(i / 16384) + "." + std::to_string(i % 64 + 1),
               hole.Port(), "Tot", 0, 0, 0, 0},
              {64, 64, count});
  kb::ManualClock clock(10'000'000);
  std::atomic<bool> stop{false};
  kb::ListService service(store, clock, [&](const std::vector<kb::Endpoint>& endpoints) {
    return kb::ProbeAll(endpoints, 2000, stop, 4096);
  });
  auto start = Clock::now();
  service.PruneDue();
  double pass = std::chrono::duration<double>(Clock::now() - start).count();
  clock.Advance(10'000'000);
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    stop = true;
  });
  start = Clock::now();
  service.PruneDue();
  double stopped = std::chrono::duration<double>(Clock::now() - start).count() - 0.5;
  stopper.join();
  std::filesystem::remove_all(folder);
  std::printf("check pass over %d entries on ports that never answer: %.2f s; a stop ended the next pass in %.0f ms\n",
              store.Count(), pass, stopped * 1000);
  return 0;
}

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--prune") return Prune(std::clamp(atoi(args[1].c_str()), 1, 100000));
  bool attack = !args.empty() && args[0] == "--attack";
  if (attack) args.erase(args.begin());
  std::string external;
  if (args.size() >= 2 && args[args.size() - 2] == "--host") {
    external = args.back();
    args.resize(args.size() - 2);
  }
  int clients = attack ? 1 : args.size() > 0 ? std::max(1, atoi(args[0].c_str())) : 8;
  int seconds = std::clamp(atoi(args.size() > (attack ? 0u : 1u) ? args[attack ? 0 : 1].c_str() : "5"), 1, 60);
  kb::InitNetwork();
  char folder[] = "/tmp/kb_bench_listd_XXXXXX";
  if (!mkdtemp(folder)) return 1;
  kb::ListStore store;
  if (!store.Open(std::string(folder) + "/list.sqlite")) return 1;
  for (int i = 0; i < 52; ++i)
    store.Put({"10." + std::to_string(i) + ".0.1", 666 + i, "Server Nummer " + std::to_string(i), i % 2, i, i, 0},
              {});
  kb::SystemClock clock;
  std::atomic<bool> stop{false};
  kb::ListService service(store, clock, [&](const std::vector<kb::Endpoint>& endpoints) {
    return kb::ProbeAll(endpoints, 2000, stop);
  });
  // The throughput run asks from one address as fast as it can: no rate limit there.
  kb::GateLimits gate;
  if (!attack) gate.requestsPerSecond = gate.requestBurst = 1'000'000;
  kb::GatedHttpServer http(gate);
  kb::MountListService(http, service, {});
  int port = http.Bind("127.0.0.1", 0);
  std::thread server([&] { http.listen_after_bind(); });
  while (!http.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  kb::ListHostAddress host = kb::ParseListHost(external.empty() ? "127.0.0.1:" + std::to_string(port) : external);
  std::string request = kb::ListRequest("/kringel_server.php?m=get", host);

  // A port whose connects hang: a listener with a full queue.
  kb::TcpListener hole;
  std::vector<std::unique_ptr<kb::TcpConnection>> queued;
  std::vector<std::thread> attackers;
  std::atomic<bool> done{false};
  if (attack) {
    // The attack ends with the measurement, or a minute later at the latest.
    auto end = Clock::now() + std::chrono::seconds(seconds + 60);
    if (!hole.Open(0) || ::listen(hole.Fd(), 0) != 0) return 1;
    for (int i = 0; i < 4; ++i) queued.push_back(kb::TcpConnection::Open("127.0.0.1", hole.Port(), false, 100));
    for (int a = 0; a < 20; ++a) {
      attackers.emplace_back(Trickle, "127.0.0." + std::to_string(a + 2), host.port, end, std::cref(done));
      attackers.emplace_back(Flood, "127.0.1." + std::to_string(a + 2), host.port, hole.Port(), end, std::cref(done));
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));  // the attack in full swing
  }
  // An honest server registers in the middle of it.
  std::string registered = "-";
  double registerMs = 0;
  kb::TcpListener game;
  if (attack && game.Open(0)) {
    auto start = Clock::now();
    registered = kb::ExchangeWithListHost(
        host, kb::ListRequest("/kringel_server.php?m=reg&name=Ehrlich&port=" + std::to_string(game.Port()) + "&pass=0", host),
        10000);
    registerMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }

  auto end = Clock::now() + std::chrono::seconds(seconds);
  std::vector<std::vector<double>> latencies(clients);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c)
    threads.emplace_back([&, c] {
      // Bounded by time and by count.
      for (int i = 0; i < 1000000 && Clock::now() < end; ++i) {
        auto start = Clock::now();
        std::string list = kb::ExchangeWithListHost(host, request, 10000);
        latencies[c].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        // A service of another build has entries of its own: there only an answer counts.
        bool whole = external.empty() ? std::count(list.begin(), list.end(), '\x03') == 51 : list != "ERROR";
        if (!whole) ++failures;
        if (attack) std::this_thread::sleep_until(start + std::chrono::milliseconds(200));
      }
    });
  auto started = Clock::now();
  for (auto& t : threads) t.join();
  double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
  done = true;
  for (auto& t : attackers) t.join();
  stop = true;
  http.stop();
  server.join();
  std::filesystem::remove_all(folder);

  std::vector<double> all;
  for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  if (all.empty()) return 1;
  std::printf(
      "m=get, 52 entries, %d clients%s, %.1f s: %zu requests, %.0f requests/s, median %.3f ms, "
      "p99 %.3f ms, max %.3f ms, failures %d\n",
      clients, attack ? " during the attack" : "", elapsed, all.size(), all.size() / elapsed, all[all.size() / 2],
      all[std::min(all.size() - 1, all.size() * 99 / 100)], all.back(), failures.load());
  if (attack) std::printf("an honest registration during the attack: %s in %.1f ms\n", registered.c_str(), registerMs);
  return failures == 0 ? 0 : 1;
}
