// kb-bench-libs: kb_client
// The cost of one frame of the menu: UpdateFrame and DrawFrame, with the real
// fonts and carried pictures, two slots active and the mouse on a button.
#include <benchmark/benchmark.h>

#include "bench/menu_client.h"
#include "client/app/draw_frame.h"
#include "client/app/frame_loop.h"

namespace kb {
namespace {

void BM_MenuFrame(benchmark::State& state) {
  MenuClient menu;
  Client& client = menu.client;
  client.frame.fadeLevel = 5;  // as after every fade
  client.round.players[0].active = client.round.players[1].active = 1;
  menu.input.MoveMouse(300, 520);
  for (auto _ : state) {
    UpdateFrame(client);
    DrawFrame(client);
    menu.clock.Advance(1);
  }
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace kb

BENCHMARK_MAIN();
