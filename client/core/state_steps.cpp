#include "client/core/state_steps.h"

#include <algorithm>

#include "client/core/client.h"
#include "client/core/key_latch.h"
#include "client/core/local_game.h"
#include "client/core/mouse.h"
#include "client/core/network_hooks.h"
#include "client/core/server_list_hooks.h"
#include "client/ui/site.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

bool ButtonHeld(const Client& client, int x, int y) {
  return client.frame.leftButton && MouseInButton(client, x, y);
}

// Page Up / Page Down: one step when the key goes down, then one more every
// time more than 100 ms have passed while it is held.
bool RepeatStep(Client& client, bool down, int& latch) {
  FrameState& frame = client.frame;
  if (!down) {
    latch = 0;
    return false;
  }
  int64_t now = client.clock.Now();
  if (!latch || now - frame.botStepTime > 100) {
    latch = 1;
    frame.botStepTime = now;
    return true;
  }
  return false;
}

}  // namespace

bool StartAllowed(const Client& client) {
  int n = CountParticipants(client);
  int bots = client.round.botCount;
  return n > 1 || (n + bots > 1 && bots > 0 && n > 0);
}

void MenuStep(Client& client) {
  FrameState& frame = client.frame;
  RoundState& round = client.round;
  const Input& input = client.input;
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

  if (frame.newClick && my >= 455 && my < 475) {
    if (mx >= 195 && mx < 215) round.confusionOption = !round.confusionOption;
    if (mx >= 395 && mx < 415) round.upgradesOption = !round.upgradesOption;
  }

  bool enter = EdgePressed(input.KeyDown(scan::kEnter), frame.enterLatch);
  if (enter || ButtonHeld(client, 405, 505)) {
    SetGameState(client, kStateNetChoose);
    return;
  }

  if ((input.KeyDown(scan::kSpace) || ButtonHeld(client, 225, 505)) && StartAllowed(client)) {
    round.trailImage.Clear(0);
    NewGame(client);
    // The start pause counts from the fade's end.
    SetGameState(client, kStateStart);
    return;
  }

  if (RepeatStep(client, input.KeyDown(scan::kPageUp), frame.pageUpLatch) && round.botCount < kMaxBots)
    ++round.botCount;
  if (RepeatStep(client, input.KeyDown(scan::kPageDown), frame.pageDownLatch) && round.botCount > 0)
    --round.botCount;

  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) frame.quit = true;
}

void NetChooseStep(Client& client) {
  const Input& input = client.input;
  if (input.KeyDown(scan::kF1) || ButtonHeld(client, 315, 120)) {
    StartInternetListFetch(client);
    SetGameState(client, kStateNetWeb);
    return;
  }
  if (input.KeyDown(scan::kF2) || ButtonHeld(client, 315, 170)) {
    StartLanSearch(client);
    ResetManualFields(client);
    SetGameState(client, kStateNetLan);
    return;
  }
  if (EdgePressed(input.KeyDown(scan::kEscape), client.frame.escapeLatch)) SetGameState(client, kStateMenu);
}

void NetFailStep(Client& client) {
  const Input& input = client.input;
  bool leave = input.KeyDown(scan::kSpace) || input.KeyDown(scan::kEscape) || input.KeyDown(scan::kEnter);
  if (EdgePressed(leave, client.net.failLatch)) {
    client.frame.escapeLatch = 1;
    SetGameState(client, kStateNetChoose);
  }
}

void PictureScreenStep(Client& client) {
  if (client.input.KeyDown(scan::kEscape)) {
    client.frame.escapeLatch = 1;
    SetGameState(client, kStateMenu);
  }
}

void BannerStep(Client& client) {
  FrameState& frame = client.frame;
  int state = frame.gameState;
  if (state != kStateMenu && state != kStateNetChoose && state != kStateNetWeb && state != kStateNetLan &&
      state != kStateNetLanManual && state != kStateWtf)
    return;

  bool overBanner = MouseInRect(client, 100, 28, 590, 80);
  if (frame.drawThisPass) {
    if (overBanner) {
      if (frame.bannerGlow < 255) frame.bannerGlow += 20;
    } else if (frame.bannerGlow > 0) {
      frame.bannerGlow -= 20;
    }
    frame.bannerGlow = std::clamp(frame.bannerGlow, 0, 255);
  }

  if (!frame.newClick) return;
  if (MouseInRect(client, 700, 580, 100, 20) && state != kStateWtf && client.openUrl)
    client.openUrl(kSiteUrl);
  if (overBanner && state != kStateMenu) {
    SetGameState(client, state == kStateNetChoose || state == kStateWtf ? kStateMenu : kStateNetChoose);
  }
}

}  // namespace kb
