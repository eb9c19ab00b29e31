#pragma once

#include <SDL_keycode.h>
#include <SDL_scancode.h>

namespace kb {

// The PC scan-code set 1 number of a key (extended keys + 128), 0 for keys
// the game cannot name.
int ScanCodeOf(SDL_Scancode scancode);

// The virtual-key number of a key. Letters follow the keyboard layout (the key
// that types Z is 90 on every layout); the punctuation keys are numbered by
// position as on a German keyboard, so the key left of 1 is always 220.
// 0 for keys without a number.
int VirtualKeyOf(SDL_Scancode scancode, SDL_Keycode keycode);

}  // namespace kb
