// kb-bench-libs: kb_client
// One frame of the client in a network game while a server tick with 64
// players' LINE messages arrives: receive, dispatch, drawing into the trail
// field and the whole frame (scores, own colour, chat), as UpdateFrame and
// DrawFrame run it. Argument 1: a hostile server adds, every tick, a LINE
// across the whole range it may send and a SCORES of 63,001 entries.
// Argument 2: a hostile server streams nothing but such LINEs, 64 KB a frame.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench/menu_client.h"
#include "client/core/chat_history.h"
#include "client/ui/chat.h"
#include "client/app/draw_frame.h"
#include "client/app/frame_loop.h"
#include "common/net/protocol.h"

namespace kb {
namespace {

constexpr int kPlayers = 64;

// Hands out one prepared tick per frame and drops what the client sends.
class TickLink final : public ServerLink {
 public:
  explicit TickLink(const std::string* tick) : tick_(tick) {}
  long Receive(char* buffer, size_t n) override {
    if (given_ >= tick_->size()) {
      given_ = 0;
      return 0;
    }
    size_t take = std::min(n, tick_->size() - given_);
    tick_->copy(buffer, take, given_);
    given_ += take;
    return static_cast<long>(take);
  }
  bool Send(std::string_view) override { return true; }
  bool Flush() override { return true; }
  void Drain(int) override {}

 private:
  const std::string* tick_;
  size_t given_ = 0;
};

// The players circle on rings, 5 pixels per tick; each tick's message holds
// one segment per player, then MODE and PAUSE as the server sends them.
std::string Tick(int step, int hostile) {
  std::string tick;
  while (hostile == 2 && tick.size() < 64 * 1024)
    tick += BuildMessage(Keyword::kLine, {-1024, -1024 + step, 1824, 1599 - step, Rgb(255, 255, 0)});
  if (hostile == 1) {
    tick += BuildMessage(Keyword::kLine, {-1024, -1024 + step, 1824, 1599 - step, Rgb(255, 255, 0)});
    // Empty entries: 63,001 of them in 63 KB, under the message bound.
    tick += BuildMessage(Keyword::kScores, {std::string(63000, '\x03')});
  }
  for (int p = 0; p < kPlayers; ++p) {
    double radius = 40 + 3.5 * p, speed = 5.0 / radius;
    double a0 = step * speed + p, a1 = a0 + speed;
    int x1 = static_cast<int>(400 + radius * std::cos(a0)),
        y1 = static_cast<int>(287 + radius * std::sin(a0));
    int x2 = static_cast<int>(400 + radius * std::cos(a1)),
        y2 = static_cast<int>(287 + radius * std::sin(a1));
    tick += BuildMessage(Keyword::kLine, {x1, y1, x2, y2, Rgb(60 + 3 * p, 255 - 3 * p, 128)});
  }
  return tick + BuildMessage(Keyword::kMode, {8}) + BuildMessage(Keyword::kPause, {0});
}

void BM_NetFrame(benchmark::State& state) {
  MenuClient menu;
  Client& client = menu.client;
  ManualClock& clock = menu.clock;
  std::vector<std::string> ticks;
  for (int i = 0; i < 200; ++i) ticks.push_back(Tick(i, static_cast<int>(state.range(0))));
  size_t next = 0;
  auto link = std::make_unique<TickLink>(&ticks[0]);
  TickLink* current = link.get();
  client.net.session.link = std::move(link);
  client.frame.gameState = kStateNet;
  client.net.session.netMode = 8;
  client.net.session.ownColour = Rgb(255, 0, 0);
  for (int p = 0; p < kPlayers; ++p)
    client.round.scoreList.push_back({p % 10, Rgb(60 + 3 * p, 255 - 3 * p, 128), p % 3});
  AddChatLine(client.net.session.chatHistory, clock.Now(), "Hallo zusammen", Rgb(0, 255, 0));
  for (auto _ : state) {
    *current = TickLink(&ticks[next]);
    next = (next + 1) % ticks.size();
    client.net.session.lastReceive = clock.Now();
    UpdateFrame(client);
    DrawFrame(client);
    benchmark::DoNotOptimize(client.screen.Data());
    clock.Advance(1);
  }
  if (client.frame.gameState != kStateNet) state.SkipWithError("left the network game");
}
BENCHMARK(BM_NetFrame)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace kb

BENCHMARK_MAIN();
