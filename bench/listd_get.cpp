// kb-bench-libs: kb_listd kb_net
// Load driver: "m=get" of a 52-entry list from the list service on loopback,
// each request on its own connection as the game's list fetch makes it.
// Usage: bench_listd_get [clients=8] [seconds=5]
#include <httplib.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"
#include "listd/http_front.h"
#include "listd/list_service.h"

int main(int argc, char** argv) {
  int clients = argc > 1 ? std::max(1, atoi(argv[1])) : 8;
  int seconds = argc > 2 ? std::clamp(atoi(argv[2]), 1, 60) : 5;
  kb::InitNetwork();
  char folder[] = "/tmp/kb_bench_listd_XXXXXX";
  if (!mkdtemp(folder)) return 1;
  kb::ListStore store;
  if (!store.Open(std::string(folder) + "/list.sqlite")) return 1;
  for (int i = 0; i < 52; ++i)
    store.Put({"10.0." + std::to_string(i / 8) + "." + std::to_string(i % 8 + 1), 666 + i,
               "Server Nummer " + std::to_string(i), i % 2, i, i, 0},
              8, 10000);
  kb::SystemClock clock;
  kb::ListService service(store, clock, [](const std::string&, int) { return true; });
  httplib::Server http;
  kb::MountListService(http, service, {});
  int port = http.bind_to_any_port("127.0.0.1");
  std::thread server([&] { http.listen_after_bind(); });
  while (!http.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  kb::ListHostAddress host = kb::ParseListHost("127.0.0.1:" + std::to_string(port));
  std::string request = kb::ListRequest("/kringel_server.php?m=get", host);
  using Clock = std::chrono::steady_clock;
  auto end = Clock::now() + std::chrono::seconds(seconds);
  std::vector<std::vector<double>> latencies(clients);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c)
    threads.emplace_back([&, c] {
      // Bounded by time and by count.
      for (int i = 0; i < 1000000 && Clock::now() < end; ++i) {
        auto start = Clock::now();
        std::string list = kb::ExchangeWithListHost(host, request, 5000);
        latencies[c].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (std::count(list.begin(), list.end(), '\x03') != 51) ++failures;
      }
    });
  auto started = Clock::now();
  for (auto& t : threads) t.join();
  double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
  http.stop();
  server.join();
  std::filesystem::remove_all(folder);

  std::vector<double> all;
  for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  if (all.empty()) return 1;
  std::printf(
      "m=get, 52 entries, %d clients, %.1f s: %zu requests, %.0f requests/s, median %.3f ms, "
      "p99 %.3f ms, failures %d\n",
      clients, elapsed, all.size(), all.size() / elapsed, all[all.size() / 2],
      all[std::min(all.size() - 1, all.size() * 99 / 100)], failures.load());
  return failures == 0 ? 0 : 1;
}
