// kb-bench-libs: kb_client
// How long bots live: seeded rounds on a driven clock, bots alone and eight
// together, with and without random confusion. Prints averages, not timings.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "client/app/client.h"
#include "client/core/local_game.h"
#include "client/core/round_steps.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {
namespace {

constexpr int64_t kRoundLimitMs = 120000;

struct Result {
  std::vector<double> lives;  // seconds, one per bot and round
};

// One round of `bots` bots and no players, run frame by frame (1 ms) until
// every bot is dead or the limit is reached; the round-end rule is left out so
// a lone bot plays on.
void RunRound(uint64_t seed, int bots, bool confusion, Result& result) {
  ManualClock clock(100000);
  Random random(seed);
  FakeInput input;
  FakeDisplay display;
  Client client(clock, random, input, display);
  client.round.botCount = bots;
  client.round.confusionOption = confusion;
  client.round.upgradesOption = 0;
  NewGame(client);
  // The start pause: the heads stand still for a second before the round runs.
  clock.Advance(1001);
  client.frame.gameState = kStateGame;
  client.round.confusionEnd = 0;
  int64_t start = clock.Now();
  std::vector<int64_t> death(bots, -1);
  while (clock.Now() - start < kRoundLimitMs) {
    clock.Advance(1);
    int64_t now = clock.Now();
    if (now > client.round.confusionEnd && confusion) {
      client.round.confusionStart = now + RandomRange(random, 1000, 30000);
      client.round.confusionEnd = client.round.confusionStart + RandomRange(random, 2000, 5000);
    }
    if (now - client.round.steerTime > 10) SteeringStep(client);
    if (now - client.round.moveTime > 50) MovementStep(client);
    int alive = 0;
    for (int i = 0; i < bots; ++i) {
      if (client.round.botList[i].dead && death[i] < 0) death[i] = now;
      alive += !client.round.botList[i].dead;
    }
    if (alive == 0) break;
  }
  for (int i = 0; i < bots; ++i)
    result.lives.push_back((death[i] < 0 ? kRoundLimitMs : death[i] - start) / 1000.0);
}

void Report(const char* name, int bots, bool confusion, int rounds) {
  Result r;
  for (int s = 0; s < rounds; ++s) RunRound(1000 + s, bots, confusion, r);
  std::vector<double> v = r.lives;
  std::sort(v.begin(), v.end());
  double sum = 0;
  int under1 = 0, under2 = 0, under3 = 0, under5 = 0, capped = 0;
  for (double x : v) {
    sum += x;
    under1 += x < 1;
    under2 += x < 2;
    under3 += x < 3;
    under5 += x < 5;
    capped += x >= kRoundLimitMs / 1000.0;
  }
  auto percent = [&](int n) { return 100.0 * n / v.size(); };
  std::printf(
      "%-20s confusion %-3s lives %4zu  mean %5.1f s  median %5.1f s  dead before 1 s %4.1f%%  2 s %4.1f%%  "
      "3 s %4.1f%%  5 s %4.1f%%  alive at %d s: %d\n",
      name, confusion ? "on" : "off", v.size(), sum / v.size(), v[v.size() / 2], percent(under1),
      percent(under2), percent(under3), percent(under5), static_cast<int>(kRoundLimitMs / 1000), capped);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 100;
  kb::Report("one bot alone", 1, false, rounds);
  kb::Report("one bot alone", 1, true, rounds);
  kb::Report("eight bots together", 8, false, rounds);
  kb::Report("eight bots together", 8, true, rounds);
  return 0;
}
