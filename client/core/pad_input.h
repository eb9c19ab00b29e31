#pragma once

#include <array>
#include <string>
#include <vector>

#include "client/core/round.h"
#include "common/platform/core/input.h"
#include "common/platform/core/keys.h"

namespace kb {

// The platform's keyboard and mouse with the game controllers and the touch
// screen standing in for keys and clicks: a pad bound to a slot holds that slot's left, right and use keys,
// so every rule that reads a slot's keys (the menu's switch, steering, the confusion swap) reads its pad the
// same way; any pad's Start holds Space and its Back Escape. A pad that is pulled out holds nothing; its slot
// keeps its keys and its binding, which a pad with the same id takes up again. In a round (local or network)
// a finger on the field's left half holds the touch slot's left key and on its right half its right key; on
// the other screens the first finger is the left mouse button at its place.
class PadInput final : public Input {
 public:
  // gameState is read at each Poll: it decides what a finger means.
  PadInput(Input& platform, const std::array<PlayerRecord, kPlayerSlots>& slots, const int& gameState)
      : platform_(platform), slots_(slots), gameState_(gameState) {}

  void Poll() override;
  bool KeyDown(int scanCode) const override;
  bool AsyncKey(int virtualKey) override;
  int MouseX() const override { return tapping_ ? touches_.front().x : platform_.MouseX(); }
  int MouseY() const override { return tapping_ ? touches_.front().y : platform_.MouseY(); }
  int KeyToChar(int virtualKey) override { return platform_.KeyToChar(virtualKey); }
  std::string ClipboardText() override { return platform_.ClipboardText(); }
  std::string TypedText() const override { return platform_.TypedText(); }
  std::vector<PadState> Pads() const override { return pads_; }
  std::vector<TouchPoint> Touches() const override { return touches_; }

  // The slot a pad with this id is bound to, or -1.
  int SlotOf(const std::string& padId) const;
  // Whether the pad of this slot is connected now.
  bool SlotPadConnected(int slot) const;
  // The slot a finger steers: the first one on with keys, else (a network
  // game, where every slot's keys steer the head) the first with keys; -1
  // when no slot has keys.
  int TouchSlot() const;
  // Pads bound to no slot whose left or right went down in this snapshot.
  const std::vector<std::string>& UnboundPadsPressed() const { return unboundPressed_; }

 private:
  Input& platform_;
  const std::array<PlayerRecord, kPlayerSlots>& slots_;
  const int& gameState_;
  std::vector<PadState> pads_;
  std::vector<TouchPoint> touches_;
  // A finger is the left mouse button in this snapshot.
  bool tapping_ = false;
  // A touch that began after a round holds Space.
  bool touchGoesOn_ = false;
  std::array<bool, scan::kCount> held_{};
  std::vector<std::string> unboundPressed_;
};

// In the menu: each pad in UnboundPadsPressed takes the first slot that is
// off, has keys and no pad, switching it on as its keys would; false when
// none was free.
void BindPressingPads(RoundState& round, const PadInput& input);

}  // namespace kb
