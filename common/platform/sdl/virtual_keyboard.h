#pragma once

#include <array>

#include "common/platform/core/keys.h"

namespace kb {

// The asynchronous key query and the characters keys give, fed with key and
// button events. A key counts as down while held and also once after a press
// that the game has not yet asked about, so a press and release between two
// frames is not lost.
class VirtualKeyboard {
 public:
  // Modifier combinations under which a key's character is remembered.
  static constexpr int kShift = 1;
  static constexpr int kAltGr = 2;
  static constexpr int kCapsLock = 4;

  // A key press (auto-repeats included); the next Text() is what it typed.
  void KeyDown(int virtualKey, int modifiers);
  void KeyUp(int virtualKey);
  // A mouse button press or release.
  void ButtonDown(int virtualKey);
  void ButtonUp(int virtualKey);
  // The character typed by the latest key press (Unicode code point).
  void Text(int codePoint);
  // Every key up, as after the focus was lost; presses not yet asked about stay.
  void ReleaseAll();

  // True while down or when pressed since the previous query of this code;
  // clears the "pressed since".
  bool Query(int virtualKey);
  bool Down(int virtualKey) const;
  // The Latin-1 character the key typed under these modifiers, 0 when it typed
  // one outside Latin-1, -1 when it has not typed under them yet.
  int CharFor(int virtualKey, int modifiers) const;

 private:
  void Press(int virtualKey);
  void Release(int virtualKey);

  std::array<bool, vk::kCount> down_{};
  std::array<bool, vk::kCount> pressed_{};
  // Characters learnt per key and modifier combination; 0 means "unknown"
  // here, stored as code + 1.
  std::array<std::array<short, 8>, vk::kCount> learnt_{};
  int pendingKey_ = 0;
  int pendingModifiers_ = 0;
};

}  // namespace kb
