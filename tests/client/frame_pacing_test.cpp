#include <gtest/gtest.h>

#include <tuple>

#include "client/app/client.h"
#include "client/app/frame_loop.h"
#include "client/app/startup.h"
#include "client/core/game_state.h"
#include "client/core/local_game.h"
#include "client/ui/button.h"
#include "client/ui/frame_pacer.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {
namespace {

// The real loop pass, 1 ms apart as the 1 ms sleep makes it, or the browser's passes, run per display frame
// on a stepped clock.
struct LoopClient {
  explicit LoopClient(int refreshRate, bool browser = false) : browser(browser) {
    display.refreshRate = refreshRate;
    InitPlayerTable(client.round);
    AddMenuButtons(client.menuButtons);
  }
  void Passes(int n) {
    if (browser) return BrowserFrames(n / frameMs, frameMs);
    for (int i = 0; i < n; ++i) RunFramePass(client), clock.Advance(1);
  }
  void BrowserFrames(int n, int everyMs) {
    for (int i = 0; i < n; ++i) clock.Advance(everyMs), RunSteppedPasses(client, stepped);
  }
  // Slots 0 and 1 in a running round, heading right without gaps.
  void StartRound() {
    client.round.players[0].active = client.round.players[1].active = 1;
    NewGame(client);
    client.frame.gameState = kStateGame;
    client.round.upgradesOption = client.round.confusionOption = 0;
    client.round.itemVanish = client.round.confusionEnd = 0;
    for (int i = 0; i < 2; ++i) {
      PlayerRecord& p = client.round.players[i];
      p.x = p.prevX = 100, p.y = p.prevY = 100 + 200 * i, p.heading = 0.5f, p.gapNext = clock.Now() + 100000;
    }
  }
  bool browser;
  int frameMs = 10;
  ManualClock clock{100000};
  SteppedClock stepped{clock};
  Random random{7};
  FakeInput input;
  FakeDisplay display;
  Client client{browser ? static_cast<Clock&>(stepped) : clock, random, input, display};
};

TEST(FramePacer, OneFramePerRefreshAtAnyLoopSpeedAndNoBurstAfterAStall) {
  // Unknown or absurd rates count as 60 Hz; a loop slower than the display shows every pass.
  const std::tuple<int, int, int> rates[] = {{0, 1, 60},    {-3, 1, 60},  {5000, 1, 60},
                                             {60, 1, 60},   {75, 1, 75},  {144, 1, 144},
                                             {144, 5, 144}, {60, 17, 59}, {60, 20, 50}};
  for (auto [hz, loopMs, perSecond] : rates) {
    FramePacer pacer;
    pacer.SetRefreshRate(hz);
    int shown = 0;
    for (int64_t t = 5000; t < 6000; t += loopMs)
      if (pacer.Due(t, 1)) pacer.Presented(t, 1), ++shown;
    EXPECT_EQ(shown, perSecond) << hz << " Hz, a pass every " << loopMs << " ms";
  }
  FramePacer pacer;
  pacer.Presented(1000, 1);
  EXPECT_FALSE(pacer.Due(1016, 1));
  EXPECT_TRUE(pacer.Due(1001, 3)) << "a new screen is shown at once";
  pacer.Presented(1005, 3);  // off the schedule: the schedule stays
  EXPECT_TRUE(pacer.Due(1017, 3));
  pacer.Presented(1600, 3);  // after a stall: one frame, then a period's wait
  EXPECT_FALSE(pacer.Due(1616, 3));
  EXPECT_TRUE(pacer.Due(1617, 3));
}

TEST(FrameLoop, GamePaceHoldsAtEveryRefreshRateWhileFramesFollowTheDisplay) {
  // A second of play, steering for its first half. Movement more than 50 ms apart: 20 steps in 1000 passes;
  // steering more than 10 ms apart: 46 turns of 4 degrees in the first 500.
  auto playASecond = [](LoopClient& c, int rate) {
    c.StartRound();
    c.input.SetKey(c.client.round.players[1].leftKey, true);
    c.Passes(500);
    c.input.SetKey(c.client.round.players[1].leftKey, false);
    c.Passes(500);
    EXPECT_EQ(c.client.round.players[0].x, 100 + 20 * 5) << rate;
    EXPECT_FLOAT_EQ(c.client.round.players[1].heading, 0.5f - 46 * 4 + 360) << rate;
  };
  for (int hz : {0, 60, 144, 240}) {
    LoopClient c(hz);
    playASecond(c, hz);
    EXPECT_EQ(c.display.presented, hz ? hz : 60) << hz;
  }
  // A browser calls the loop once per display frame, at whatever rate it likes: the pace stays, and each call
  // shows one frame.
  for (int frameMs : {4, 10, 20, 25}) {
    LoopClient c(60, true);
    c.frameMs = frameMs;
    playASecond(c, frameMs);
    EXPECT_EQ(c.display.presented, 1000 / frameMs) << frameMs;
  }
  // After a hidden page the missed time is skipped, not raced through; the loop's own sleeps (a fade) move
  // the time on instead of waiting.
  LoopClient c(60, true);
  c.StartRound();
  c.clock.Advance(60000);
  c.BrowserFrames(1, 0);
  EXPECT_EQ(c.client.round.players[0].x, 100 + 2 * 5) << "100 passes, 2 steps";
  EXPECT_EQ(c.stepped.Now(), c.clock.Now());
  c.stepped.Sleep(192);
  c.BrowserFrames(19, 10);
  EXPECT_EQ(c.display.presented, 1) << "no pass until the real time has caught up";
  c.BrowserFrames(1, 10);
  EXPECT_EQ(c.display.presented, 2);
}

}  // namespace
}  // namespace kb
