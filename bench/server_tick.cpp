// kb-bench-libs: kb_server
// Repeatable server ticks for instruction counts: one thread, a manual clock
// and N loopback clients that each send four or five "ANGLE" per tick and
// read everything the server sends. Run under
//   valgrind --tool=callgrind --toggle-collect='kb::ServerLoop::RunOnce*'
//       build/bench/bench_server_tick 256 200
// and divide the instructions by the ticks printed. Without valgrind it
// prints the wall time and the heap allocations per tick of RunOnce.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bench/loopback_client.h"
#include "common/net/protocol.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/socket.h"
#include "server/server_loop.h"

namespace {

// Heap allocations made while `counting` is set (only the server's RunOnce).
std::atomic<bool> counting{false};
std::atomic<uint64_t> allocations{0};

}  // namespace

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

struct Driver {
  kb::ServerSettings settings;
  kb::ManualClock clock{1000};
  kb::Random random{1};
  kb::ServerLoop loop{settings, clock, random};
  std::vector<std::unique_ptr<kb::TcpConnection>> clients;
  uint64_t received = 0;
  char buffer[65536];

  void Round() {
    counting = true;
    loop.RunOnce(0);
    counting = false;
  }
  void ReadAll() {
    for (auto& c : clients) {
      while (true) {
        long n = c->Receive(buffer, sizeof buffer);
        if (n <= 0) break;
        received += static_cast<uint64_t>(n);
      }
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  int players = argc > 1 ? std::atoi(argv[1]) : 64;
  int ticks = argc > 2 ? std::atoi(argv[2]) : 200;
  if (players < 2 || players > 1000 || ticks < 1 || ticks > 100000) {
    std::fprintf(stderr, "usage: bench_server_tick [players 2..1000] [ticks]\n");
    return 2;
  }
  kb::InitNetwork();
  auto d = std::make_unique<Driver>();
  d->settings.name = "Last";
  d->settings.maxConnectionsPerAddress = 100000;
  d->settings.maxClients = 100000;
  if (!d->loop.Open(0, -1)) return 1;
  const std::string join = kb::BuildMessage(kb::Keyword::kJoin);
  for (int i = 0; i < players; ++i) {
    auto c = kb::bench::OpenFrom(i, d->settings.port);
    if (!c) return 1;
    c->Send(join);
    d->clients.push_back(std::move(c));
    d->Round();
  }
  for (int i = 0; i < 50 && static_cast<int>(d->loop.Game().Clients().Size()) < players; ++i) d->Round();
  if (static_cast<int>(d->loop.Game().Clients().Size()) != players) {
    std::fprintf(stderr, "only %zu of %d joined\n", d->loop.Game().Clients().Size(), players);
    return 1;
  }

  const std::string up = kb::BuildMessage(kb::Keyword::kAngle, {"UP"});
  const std::string down = kb::BuildMessage(kb::Keyword::kAngle, {"DOWN"});
  const std::string go = kb::BuildMessage(kb::Keyword::kGo);
  kb::Random steer(2);
  std::vector<int> turn(players, 0);
  uint64_t tickAllocations = 0;
  double tickMs = 0;
  int measured = 0;
  for (int t = 0; t < ticks + 20; ++t) {
    // Readiness every second tick: countdowns and round ends stay short,
    // so most ticks are ticks of a running round.
    for (int i = 0; i < players; ++i) {
      if (t % 2 == 0) d->clients[i]->Send(go);
      if (steer.Next(20) == 0) turn[i] = steer.Next(3);
      int angles = 4 + (t + i) % 2;
      for (int a = 0; turn[i] && a < angles; ++a) d->clients[i]->Send(turn[i] == 1 ? up : down);
    }
    for (int r = 0; r < 4; ++r) d->Round();
    d->clock.Advance(kb::ServerGame::kTickInterval + 1);
    // The first ticks join and start the game; they are not measured.
    uint64_t before = allocations;
    auto start = std::chrono::steady_clock::now();
    d->Round();
    if (t >= 20) {
      tickMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      tickAllocations += allocations - before;
      ++measured;
    }
    d->ReadAll();
  }
  std::printf("players %d ticks %d state %d wall ms/tick %.3f allocations/tick %.2f bytes received %llu\n",
              players, measured, d->loop.Game().State(), tickMs / measured,
              static_cast<double>(tickAllocations) / measured, static_cast<unsigned long long>(d->received));
  return 0;
}
