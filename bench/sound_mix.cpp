// kb-bench-libs: kb_client
// The cost of sound: one device buffer (512 samples, 23 ms at 22050 Hz) mixed
// with 0, 2 and 8 effects playing, and synthesising every effect at start.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "client/ui/sound_bank.h"
#include "common/platform/core/mixer.h"

namespace kb {
namespace {

void BM_MixBuffer(benchmark::State& state) {
  std::vector<SoundSamples> bank = BuildSoundBank();
  // The longest effect, restarted before it ends, so the voices never fall silent.
  size_t longest = 0;
  for (size_t i = 0; i < bank.size(); ++i)
    if (bank[i].size() > bank[longest].size()) longest = i;
  Mixer mixer(bank);
  std::vector<int16_t> out(512);
  int voices = static_cast<int>(state.range(0));
  size_t restartEvery = std::max<size_t>(1, bank[longest].size() / out.size() / 2), buffers = 0;
  int16_t peak = 0;
  for (auto _ : state) {
    if (buffers++ % restartEvery == 0)
      for (int v = 0; v < voices; ++v) mixer.Play(static_cast<int>(longest), 40);
    mixer.Mix(out.data(), static_cast<int>(out.size()));
    peak = std::max(peak, *std::max_element(out.begin(), out.end()));
  }
  // Proof that the voices played: silence for none.
  state.counters["peak"] = peak;
}
BENCHMARK(BM_MixBuffer)->Arg(0)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_BuildSoundBank(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(BuildSoundBank());
}
BENCHMARK(BM_BuildSoundBank)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kb

BENCHMARK_MAIN();
