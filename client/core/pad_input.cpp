#include "client/core/pad_input.h"

#include <algorithm>

#include "client/core/game_state.h"
#include "common/game/field.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

bool Steering(const PadState& pad) { return pad.left || pad.right; }

bool FingersSteer(int gameState) {
  return gameState == kStateStart || gameState == kStateGame || gameState == kStateNet;
}

}  // namespace

void PadInput::Poll() {
  platform_.Poll();
  std::vector<PadState> before = std::move(pads_);
  pads_ = platform_.Pads();
  held_.fill(false);
  unboundPressed_.clear();
  auto hold = [this](int key, bool down) {
    if (down && key > 0 && key < scan::kCount) held_[key] = true;
  };
  for (const PadState& pad : pads_) {
    hold(scan::kSpace, pad.start);
    hold(scan::kEscape, pad.back);
    if (int slot = SlotOf(pad.id); slot >= 0) {
      hold(slots_[slot].leftKey, pad.left);
      hold(slots_[slot].rightKey, pad.right);
      hold(slots_[slot].useKey, pad.use);
      continue;
    }
    auto was = std::find_if(before.begin(), before.end(), [&](const PadState& p) { return p.id == pad.id; });
    if (Steering(pad) && (was == before.end() || !Steering(*was))) unboundPressed_.push_back(pad.id);
  }

  bool touchedBefore = !touches_.empty();
  touches_ = platform_.Touches();
  bool steer = FingersSteer(gameState_);
  bool roundOver = gameState_ == kStateEndRound || gameState_ == kStateEnd;
  // After a round a new touch goes on as Space does; the finger that steered
  // into the end must not skip it.
  if (touches_.empty() || !roundOver) touchGoesOn_ = false;
  if (roundOver && !touchedBefore && !touches_.empty()) touchGoesOn_ = true;
  hold(scan::kSpace, touchGoesOn_);
  tapping_ = !steer && !roundOver && !touches_.empty();
  for (const TouchPoint& finger : touches_) {
    // In a network game a tap on the status bar is Enter: it opens the chat
    // line (and a phone's keyboard) and sends it.
    if (finger.y < kFieldTop) hold(scan::kEnter, gameState_ == kStateNet);
    if (int slot = TouchSlot(); steer && slot >= 0 && InsideField(finger.x, finger.y - kFieldTop))
      hold(finger.x < kFieldWidth / 2 ? slots_[slot].leftKey : slots_[slot].rightKey, true);
  }
}

bool PadInput::AsyncKey(int virtualKey) {
  // The platform's query first: it clears the platform's "pressed since".
  bool down = platform_.AsyncKey(virtualKey);
  return down || (tapping_ && virtualKey == vk::kLeftButton);
}

int PadInput::TouchSlot() const {
  int firstWithKeys = -1;
  for (int i = 0; i < kPlayerSlots; ++i) {
    if (slots_[i].leftKey == 0) continue;
    if (slots_[i].active) return i;
    if (firstWithKeys < 0) firstWithKeys = i;
  }
  return firstWithKeys;
}

bool PadInput::KeyDown(int scanCode) const {
  return platform_.KeyDown(scanCode) || (scanCode >= 0 && scanCode < scan::kCount && held_[scanCode]);
}

int PadInput::SlotOf(const std::string& padId) const {
  for (int i = 0; i < kPlayerSlots; ++i)
    if (!padId.empty() && slots_[i].padId == padId) return i;
  return -1;
}

bool PadInput::SlotPadConnected(int slot) const {
  const std::string& id = slots_[slot].padId;
  return !id.empty() &&
         std::any_of(pads_.begin(), pads_.end(), [&](const PadState& p) { return p.id == id; });
}

void BindPressingPads(RoundState& round, const PadInput& input) {
  for (const std::string& id : input.UnboundPadsPressed()) {
    // The mouse's slot has no keys for a pad to hold.
    auto free = std::find_if(round.players.begin(), round.players.end(), [](const PlayerRecord& p) {
      return !p.active && p.padId.empty() && p.leftKey != 0;
    });
    if (free == round.players.end()) return;
    free->padId = id;
    free->active = 1;
    // The press that bound the pad is held on as the slot's key: not a second switch.
    free->leftLatch = free->rightLatch = 1;
  }
}

}  // namespace kb
