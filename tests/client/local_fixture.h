#pragma once

#include <gtest/gtest.h>

#include "client/core/game_state.h"
#include "client/core/local_game.h"
#include "tests/client/client_fixture.h"

namespace kb {

// A local game on the manual clock with keys and colours for every slot.
class LocalGameTest : public ::testing::Test {
 protected:
  static constexpr int kLeft[kPlayerSlots] = {0x10, 0x1E, 0x2C, 0x13, 0x20, 0x2E, 0, 0x17};
  static constexpr int kUse[kPlayerSlots] = {0x12, 0x30, 0x31, 0x15, 0x22, 0x32, 0, 0x99};

  LocalGameTest() {
    for (int i = 0; i < kPlayerSlots; ++i) {
      slot(i).leftKey = kLeft[i];
      slot(i).rightKey = kLeft[i] ? kLeft[i] + 1 : 0;
      slot(i).useKey = kUse[i];
      round().playerColours[i] = Rgb(40 + 25 * i, 200 - 20 * i, 60 + 10 * i);
    }
  }
  RoundState& round() { return t.client.round; }
  PlayerRecord& slot(int i) { return round().players[i]; }
  int64_t now() { return t.clock.Now(); }
  int state() { return t.client.frame.gameState; }
  void SetState(int s) { t.client.frame.gameState = s; }

  // Slots 0..n-1 and `bots` bots in state game, no item or confusion pending.
  void StartGame(int slots, int bots = 0) {
    for (int i = 0; i < kPlayerSlots; ++i) slot(i).active = i < slots;
    round().botCount = bots;
    NewGame(t.client);
    SetState(kStateGame);
    round().upgradesOption = round().confusionOption = 0;
    round().itemVanish = round().confusionEnd = 0;
    round().trailImage.Clear(0);
  }
  // A head at a place and heading, with no gap for a long time.
  template <class Head>
  void Place(Head& head, int x, int y, float heading) {
    head.x = head.prevX = x;
    head.y = head.prevY = y;
    head.heading = heading;
    head.gapStart = 0;
    head.gapNext = now() + 1000000;
  }
  void Frame() { UpdateFrame(t.client); }
  void StepFrame(int64_t ms) { t.clock.Advance(ms), Frame(); }
  void Key(int code, bool down) { t.input.SetKey(code, down); }

  TestClient t;
};

}  // namespace kb
