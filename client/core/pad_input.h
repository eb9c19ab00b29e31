#pragma once

#include <array>
#include <string>
#include <vector>

#include "client/core/round.h"
#include "common/platform/core/input.h"
#include "common/platform/core/keys.h"

namespace kb {

// The platform's keyboard and mouse with the game controllers standing in for
// keys: a pad bound to a slot holds that slot's left, right and use keys, so
// every rule that reads a slot's keys (the menu's switch, steering, the
// confusion swap) reads its pad the same way; any pad's Start holds Space and
// its Back Escape. A pad that is pulled out holds nothing; its slot keeps its
// keys and its binding, which a pad with the same id takes up again.
class PadInput final : public Input {
 public:
  PadInput(Input& platform, const std::array<PlayerRecord, kPlayerSlots>& slots)
      : platform_(platform), slots_(slots) {}

  void Poll() override;
  bool KeyDown(int scanCode) const override;
  bool AsyncKey(int virtualKey) override { return platform_.AsyncKey(virtualKey); }
  int MouseX() const override { return platform_.MouseX(); }
  int MouseY() const override { return platform_.MouseY(); }
  int KeyToChar(int virtualKey) override { return platform_.KeyToChar(virtualKey); }
  std::string ClipboardText() override { return platform_.ClipboardText(); }
  std::vector<PadState> Pads() const override { return pads_; }

  // The slot a pad with this id is bound to, or -1.
  int SlotOf(const std::string& padId) const;
  // Whether the pad of this slot is connected now.
  bool SlotPadConnected(int slot) const;
  // Pads bound to no slot whose left or right went down in this snapshot.
  const std::vector<std::string>& UnboundPadsPressed() const { return unboundPressed_; }

 private:
  Input& platform_;
  const std::array<PlayerRecord, kPlayerSlots>& slots_;
  std::vector<PadState> pads_;
  std::array<bool, scan::kCount> held_{};
  std::vector<std::string> unboundPressed_;
};

// In the menu: each pad in UnboundPadsPressed takes the first slot that is
// off, has keys and no pad, switching it on as its keys would; false when
// none was free.
void BindPressingPads(RoundState& round, const PadInput& input);

}  // namespace kb
