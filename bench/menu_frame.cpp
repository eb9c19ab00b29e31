// kb-bench-libs: kb_client
// The cost of one frame of the menu: UpdateFrame and DrawFrame, with the real
// fonts and carried pictures, two slots active and the mouse on a button.
#include <benchmark/benchmark.h>

#include "client/core/client.h"
#include "client/ui/button.h"
#include "client/ui/draw_frame.h"
#include "client/ui/load_resources.h"
#include "client/ui/startup.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {
namespace {

void BM_MenuFrame(benchmark::State& state) {
  ManualClock clock;
  Random random(1);
  FakeInput input;
  FakeDisplay display;
  Client client(clock, random, input, display);
  display.Open(false, 0, 0);
  LoadFonts(client.resources);
  LoadPictures(client.resources);
  LoadSprites(client.resources);
  InitPlayerTable(client.round);
  AddMenuButtons(client);
  BuildButtonSprites(client);
  client.frame.fadeLevel = 5;  // as after every fade
  client.round.players[0].active = client.round.players[1].active = 1;
  input.MoveMouse(300, 520);
  for (auto _ : state) {
    UpdateFrame(client);
    DrawFrame(client);
    clock.Advance(1);
  }
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace kb

BENCHMARK_MAIN();
