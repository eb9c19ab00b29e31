// kb-bench-libs: kb_client
#include <benchmark/benchmark.h>

#include "client/app/client.h"
#include "client/core/local_game.h"
#include "client/core/round_steps.h"
#include "client/ui/game_view.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {
namespace {

// A local game of 8 slots and 8 bots on a driven clock.
struct Game {
  ManualClock clock{100000};
  Random random{2024};
  FakeInput input;
  FakeDisplay display;
  Client client{clock, random, input, display};

  explicit Game(bool fonts) {
    Resources& r = client.resources;
    if (fonts) {
      r.fontNormal.Load("Arial", 11, false, false);
      r.fontHuge.Load("Arial", 80, true, true);
      r.fontScore.Load("Arial", 12, true, false);
    }
    for (int k = 1; k <= 3; ++k) r.itemIcons[k] = Image(20, 20, 0x80FF80);
    for (int i = 0; i < kPlayerSlots; ++i) {
      PlayerRecord& p = client.round.players[i];
      p.active = 1;
      p.leftKey = 0x10 + i;
      p.rightKey = 0x1E + i;
      client.round.playerColours[i] = Rgb(60 + 20 * i, 255 - 20 * i, 128);
    }
    client.round.botCount = 8;
    NewGame(client);
    client.frame.gameState = kStateGame;
  }

  // Keeps a round running: a finished round is replaced at once, without
  // the start pause.
  void KeepRunning() {
    if (client.frame.gameState == kStateGame) return;
    NextRound(client);
    client.frame.gameState = kStateGame;
  }

  // Some slots steer now and then, so the field fills with curves.
  void Steer(int64_t frame) {
    for (int i = 0; i < kPlayerSlots; ++i) input.SetKey(0x10 + i, (frame / 40 + i) % 5 == 0);
  }
};

void BM_LocalFrame(benchmark::State& state) {
  Game game(true);
  int64_t frame = 0;
  for (auto _ : state) {
    game.Steer(frame++);
    game.clock.Advance(5);
    game.input.Poll();
    LocalGameStep(game.client);
    game.client.screen.Clear(0);
    DrawLocalGame(game.client.screen, game.client.resources, game.client.round, game.client.frame, game.clock.Now());
    benchmark::DoNotOptimize(game.client.screen.Data());
    game.KeepRunning();
  }
}
BENCHMARK(BM_LocalFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The simulation alone: each iteration is one steering and one movement step
// of 16 participants.
void BM_MovementSteps(benchmark::State& state) {
  Game game(false);
  int64_t frame = 0;
  for (auto _ : state) {
    game.Steer(frame++);
    game.clock.Advance(51);
    game.input.Poll();
    LocalGameStep(game.client);
    game.KeepRunning();
  }
  state.counters["steps/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MovementSteps)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace kb

BENCHMARK_MAIN();
