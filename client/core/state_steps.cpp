#include "client/core/state_steps.h"

#include <algorithm>

#include "client/core/key_latch.h"
#include "client/core/local_game.h"
#include "client/core/model.h"
#include "client/core/mouse.h"
#include "client/core/network_hooks.h"
#include "client/core/server_list_hooks.h"
#include "client/core/site.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

// Page Up / Page Down: one step when the key goes down, then one more every
// time more than 100 ms have passed while it is held.
bool RepeatStep(Model& model, bool down, int& latch) {
  FrameState& frame = model.frame;
  if (!down) {
    latch = 0;
    return false;
  }
  int64_t now = model.clock.Now();
  if (!latch || now - frame.botStepTime > 100) {
    latch = 1;
    frame.botStepTime = now;
    return true;
  }
  return false;
}

}  // namespace

bool StartAllowed(const Model& model) {
  int n = CountParticipants(model.round);
  int bots = model.round.botCount;
  return n > 1 || (n + bots > 1 && bots > 0 && n > 0);
}

void MenuStep(Model& model) {
  FrameState& frame = model.frame;
  RoundState& round = model.round;
  const Input& input = model.input;
  int mx = frame.mouseX, my = frame.mouseY;

  for (int i = 0; i < kPlayerSlots; ++i) {
    PlayerRecord& player = round.players[i];
    bool inBox = mx >= 195 && mx < 215 && my >= 135 + 40 * i && my < 155 + 40 * i;
    if (frame.newClick && inBox) player.active = !player.active;
    player.clickLatch = frame.leftButton ? 1 : 0;
    // Slot 6 has no keys (code 0): it is steered with the mouse.
    if (EdgePressed(player.leftKey != 0 && input.KeyDown(player.leftKey), player.leftLatch))
      player.active = 1;
    if (EdgePressed(player.rightKey != 0 && input.KeyDown(player.rightKey), player.rightLatch))
      player.active = 0;
  }
  // After the keys' latches: the press that binds a pad is held on as its slot's key.
  BindPressingPads(round, model.input);

  if (frame.newClick && my >= 455 && my < 475) {
    if (mx >= 195 && mx < 215) round.confusionOption = !round.confusionOption;
    if (mx >= 395 && mx < 415) round.upgradesOption = !round.upgradesOption;
  }

  bool enter = EdgePressed(input.KeyDown(scan::kEnter), frame.enterLatch);
  if (enter || ButtonHeld(model.frame, 405, 505)) {
    SetGameState(model, kStateNetChoose);
    return;
  }

  if ((input.KeyDown(scan::kSpace) || ButtonHeld(model.frame, 225, 505)) && StartAllowed(model)) {
    round.trailImage.Clear(0);
    NewGame(model);
    // The start pause counts from the fade's end.
    SetGameState(model, kStateStart);
    return;
  }

  if (RepeatStep(model, input.KeyDown(scan::kPageUp), frame.pageUpLatch) && round.botCount < kMaxBots)
    ++round.botCount;
  if (RepeatStep(model, input.KeyDown(scan::kPageDown), frame.pageDownLatch) && round.botCount > 0)
    --round.botCount;
  // A click on the bot count adds one, past the most back to none: for a
  // touch screen, which has no Page Up.
  if (frame.newClick && mx >= 225 && mx < 305 && my >= 478 && my < 502)
    round.botCount = round.botCount < kMaxBots ? round.botCount + 1 : 0;

  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) frame.quit = true;
}

void NetChooseStep(Model& model) {
  const Input& input = model.input;
  if (input.KeyDown(scan::kF1) || ButtonHeld(model.frame, 315, 120)) {
    StartInternetListFetch(model);
    SetGameState(model, kStateNetWeb);
    return;
  }
  if (input.KeyDown(scan::kF2) || ButtonHeld(model.frame, 315, 170)) {
    StartLanSearch(model);
    ResetManualFields(model.net);
    SetGameState(model, kStateNetLan);
    return;
  }
  if (EdgePressed(input.KeyDown(scan::kEscape), model.frame.escapeLatch)) SetGameState(model, kStateMenu);
}

void NetFailStep(Model& model) {
  const Input& input = model.input;
  bool leave = input.KeyDown(scan::kSpace) || input.KeyDown(scan::kEscape) || input.KeyDown(scan::kEnter);
  if (EdgePressed(leave, model.net.failLatch)) {
    model.frame.escapeLatch = 1;
    SetGameState(model, kStateNetChoose);
  }
}

void PictureScreenStep(Model& model) {
  if (model.input.KeyDown(scan::kEscape)) {
    model.frame.escapeLatch = 1;
    SetGameState(model, kStateMenu);
  }
}

void BannerStep(Model& model) {
  FrameState& frame = model.frame;
  int state = frame.gameState;
  if (state != kStateMenu && state != kStateNetChoose && state != kStateNetWeb && state != kStateNetLan &&
      state != kStateNetLanManual && state != kStateWtf)
    return;

  bool overBanner = MouseInRect(model.frame, 100, 28, 590, 80);
  if (frame.drawThisPass) {
    if (overBanner) {
      if (frame.bannerGlow < 255) frame.bannerGlow += 20;
    } else if (frame.bannerGlow > 0) {
      frame.bannerGlow -= 20;
    }
    frame.bannerGlow = std::clamp(frame.bannerGlow, 0, 255);
  }

  if (!frame.newClick) return;
  if (MouseInRect(model.frame, 700, 580, 100, 20) && state != kStateWtf && model.openUrl)
    model.openUrl(kSiteUrl);
  if (overBanner && state != kStateMenu) {
    SetGameState(model, state == kStateNetChoose || state == kStateWtf ? kStateMenu : kStateNetChoose);
  }
}

}  // namespace kb
