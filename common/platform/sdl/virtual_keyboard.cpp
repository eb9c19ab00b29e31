#include "common/platform/sdl/virtual_keyboard.h"

namespace kb {

namespace {

bool Valid(int virtualKey) { return virtualKey > 0 && virtualKey < vk::kCount; }

// The "either side" code of a left/right modifier, and its two sides.
int EitherSide(int virtualKey) {
  if (virtualKey == 160 || virtualKey == 161) return vk::kShift;
  if (virtualKey == 162 || virtualKey == 163) return vk::kControl;
  if (virtualKey == 164 || virtualKey == 165) return 18;
  return 0;
}

}  // namespace

void VirtualKeyboard::Press(int virtualKey) {
  if (!Valid(virtualKey)) return;
  down_[virtualKey] = pressed_[virtualKey] = true;
  if (int either = EitherSide(virtualKey)) down_[either] = pressed_[either] = true;
}

void VirtualKeyboard::Release(int virtualKey) {
  if (!Valid(virtualKey)) return;
  down_[virtualKey] = false;
  if (int either = EitherSide(virtualKey)) {
    int left = virtualKey & ~1;
    down_[either] = down_[left] || down_[left + 1];
  }
}

void VirtualKeyboard::KeyDown(int virtualKey, int modifiers) {
  Press(virtualKey);
  pendingKey_ = Valid(virtualKey) ? virtualKey : 0;
  pendingModifiers_ = modifiers & 7;
}

void VirtualKeyboard::KeyUp(int virtualKey) { Release(virtualKey); }

void VirtualKeyboard::ButtonDown(int virtualKey) { Press(virtualKey); }

void VirtualKeyboard::ButtonUp(int virtualKey) { Release(virtualKey); }

void VirtualKeyboard::Text(int codePoint) {
  if (!pendingKey_) return;
  learnt_[pendingKey_][pendingModifiers_] =
      static_cast<short>(codePoint > 0 && codePoint <= 255 ? codePoint + 1 : 1);
  pendingKey_ = 0;
}

void VirtualKeyboard::ReleaseAll() {
  down_.fill(false);
  pendingKey_ = 0;
}

bool VirtualKeyboard::Query(int virtualKey) {
  if (!Valid(virtualKey)) return false;
  bool result = down_[virtualKey] || pressed_[virtualKey];
  pressed_[virtualKey] = false;
  return result;
}

bool VirtualKeyboard::Down(int virtualKey) const { return Valid(virtualKey) && down_[virtualKey]; }

int VirtualKeyboard::CharFor(int virtualKey, int modifiers) const {
  if (!Valid(virtualKey)) return -1;
  return learnt_[virtualKey][modifiers & 7] - 1;
}

}  // namespace kb
