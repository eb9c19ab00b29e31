// kb-bench-libs: kb_platform_core
// How long a connect to a host whose IPv6 address never answers takes to get
// through over IPv4: the IPv6 port is a loopback listener whose queue is full
// (further SYNs are dropped), the IPv4 one answers. Reports the time per
// connect; Happy Eyeballs puts it at the attempt delay (250 ms) plus the
// IPv4 connect.

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "common/platform/core/socket.h"

namespace {

void BM_FallbackToIpv4(benchmark::State& state) {
  kb::TcpListener v4, hole;
  if (!v4.Open("127.0.0.1", 0) || !hole.Open("::1", v4.Port())) {
    state.SkipWithError("no IPv6 loopback");
    return;
  }
  std::vector<std::unique_ptr<kb::TcpConnectAttempt>> queued;
  for (int i = 0; i < 200; ++i)
    queued.push_back(std::make_unique<kb::TcpConnectAttempt>("::1", v4.Port(), true, 600000));
  for (int i = 0; i < 50; ++i)
    for (auto& q : queued) q->Poll();
  std::vector<kb::IpAddress> host = {*kb::ParseIpAddress("::1"), *kb::ParseIpAddress("127.0.0.1")};
  for (auto _ : state) {
    kb::TcpConnectAttempt attempt(host, v4.Port(), true, 10000);
    std::unique_ptr<kb::TcpConnection> connection;
    for (int i = 0; i < 10000 && !connection && !attempt.Failed(); ++i) {
      connection = attempt.Poll();
      if (!connection) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (!connection || connection->PeerAddress() != "127.0.0.1") state.SkipWithError("not connected over IPv4");
    std::unique_ptr<kb::TcpConnection> accepted;
    while (v4.Accept(&accepted) == kb::AcceptResult::kConnection) {
    }
  }
}
BENCHMARK(BM_FallbackToIpv4)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
