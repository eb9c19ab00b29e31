#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "common/platform/core/input.h"
#include "common/platform/core/keys.h"

namespace kb {

// Keyboard and mouse set by the test. Poll() copies the held keys into the
// snapshot, as the real layer does once per frame.
class FakeInput final : public Input {
 public:
  void Poll() override {
    snapshot_ = held_;
    padSnapshot_ = pads;
    typedSnapshot_ = std::exchange(typed, {});
    touchSnapshot_ = touches;
  }
  bool KeyDown(int scanCode) const override {
    return scanCode >= 0 && scanCode < scan::kCount && snapshot_[scanCode];
  }
  bool AsyncKey(int virtualKey) override {
    if (virtualKey < 0 || virtualKey >= vk::kCount) return false;
    bool result = virtualDown_[virtualKey] || pressedSince_[virtualKey];
    pressedSince_[virtualKey] = false;
    return result;
  }
  int MouseX() const override { return mouseX_; }
  int MouseY() const override { return mouseY_; }
  int KeyToChar(int virtualKey) override {
    auto found = chars_.find(virtualKey);
    return found == chars_.end() ? 0 : found->second;
  }
  std::string ClipboardText() override { return clipboard_; }
  std::vector<PadState> Pads() const override { return padSnapshot_; }
  std::string TypedText() const override { return typedSnapshot_; }
  std::vector<TouchPoint> Touches() const override { return touchSnapshot_; }

  // Holds or releases a scan-code key; seen from the next Poll().
  void SetKey(int scanCode, bool down) { held_[scanCode] = down; }
  void SetVirtualKey(int virtualKey, bool down) {
    if (down && !virtualDown_[virtualKey]) pressedSince_[virtualKey] = true;
    virtualDown_[virtualKey] = down;
  }
  void MoveMouse(int x, int y) { mouseX_ = x, mouseY_ = y; }
  void MapChar(int virtualKey, int character) { chars_[virtualKey] = character; }
  void SetClipboard(const std::string& text) { clipboard_ = text; }
  // Text an on-screen keyboard typed, taken by the next Poll().
  std::string typed;
  // The game controllers plugged in, as the next Poll() finds them.
  std::vector<PadState> pads;
  // The fingers on the screen, as the next Poll() finds them.
  std::vector<TouchPoint> touches;
  void ReleaseAll() {
    held_.fill(false);
    virtualDown_.fill(false);
  }

 private:
  std::array<bool, scan::kCount> held_{};
  std::array<bool, scan::kCount> snapshot_{};
  std::array<bool, vk::kCount> virtualDown_{};
  std::array<bool, vk::kCount> pressedSince_{};
  std::vector<PadState> padSnapshot_;
  std::string typedSnapshot_;
  std::vector<TouchPoint> touchSnapshot_;
  std::map<int, int> chars_;
  std::string clipboard_;
  int mouseX_ = 0, mouseY_ = 0;
};

}  // namespace kb
