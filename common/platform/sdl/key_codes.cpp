#include "common/platform/sdl/key_codes.h"

#include <array>

namespace kb {

namespace {

struct KeyRow {
  SDL_Scancode scancode;
  int set1;
  int virtualKey;
};

// Keys by position. The virtual-key numbers of the punctuation keys are the
// German layout's: the game's slot keys and console key are named that way.
constexpr KeyRow kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01, 27},
    {SDL_SCANCODE_1, 0x02, '1'},
    {SDL_SCANCODE_2, 0x03, '2'},
    {SDL_SCANCODE_3, 0x04, '3'},
    {SDL_SCANCODE_4, 0x05, '4'},
    {SDL_SCANCODE_5, 0x06, '5'},
    {SDL_SCANCODE_6, 0x07, '6'},
    {SDL_SCANCODE_7, 0x08, '7'},
    {SDL_SCANCODE_8, 0x09, '8'},
    {SDL_SCANCODE_9, 0x0A, '9'},
    {SDL_SCANCODE_0, 0x0B, '0'},
    {SDL_SCANCODE_MINUS, 0x0C, 219},   // ß
    {SDL_SCANCODE_EQUALS, 0x0D, 221},  // ´
    {SDL_SCANCODE_BACKSPACE, 0x0E, 8},
    {SDL_SCANCODE_TAB, 0x0F, 9},
    {SDL_SCANCODE_Q, 0x10, 'Q'},
    {SDL_SCANCODE_W, 0x11, 'W'},
    {SDL_SCANCODE_E, 0x12, 'E'},
    {SDL_SCANCODE_R, 0x13, 'R'},
    {SDL_SCANCODE_T, 0x14, 'T'},
    {SDL_SCANCODE_Y, 0x15, 'Y'},
    {SDL_SCANCODE_U, 0x16, 'U'},
    {SDL_SCANCODE_I, 0x17, 'I'},
    {SDL_SCANCODE_O, 0x18, 'O'},
    {SDL_SCANCODE_P, 0x19, 'P'},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, 186},   // Ü
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, 187},  // +
    {SDL_SCANCODE_RETURN, 0x1C, 13},
    {SDL_SCANCODE_LCTRL, 0x1D, 162},
    {SDL_SCANCODE_A, 0x1E, 'A'},
    {SDL_SCANCODE_S, 0x1F, 'S'},
    {SDL_SCANCODE_D, 0x20, 'D'},
    {SDL_SCANCODE_F, 0x21, 'F'},
    {SDL_SCANCODE_G, 0x22, 'G'},
    {SDL_SCANCODE_H, 0x23, 'H'},
    {SDL_SCANCODE_J, 0x24, 'J'},
    {SDL_SCANCODE_K, 0x25, 'K'},
    {SDL_SCANCODE_L, 0x26, 'L'},
    {SDL_SCANCODE_SEMICOLON, 0x27, 192},   // Ö
    {SDL_SCANCODE_APOSTROPHE, 0x28, 222},  // Ä
    {SDL_SCANCODE_GRAVE, 0x29, 220},       // ^
    {SDL_SCANCODE_LSHIFT, 0x2A, 160},
    {SDL_SCANCODE_BACKSLASH, 0x2B, 191},  // #
    {SDL_SCANCODE_NONUSHASH, 0x2B, 191},
    {SDL_SCANCODE_Z, 0x2C, 'Z'},
    {SDL_SCANCODE_X, 0x2D, 'X'},
    {SDL_SCANCODE_C, 0x2E, 'C'},
    {SDL_SCANCODE_V, 0x2F, 'V'},
    {SDL_SCANCODE_B, 0x30, 'B'},
    {SDL_SCANCODE_N, 0x31, 'N'},
    {SDL_SCANCODE_M, 0x32, 'M'},
    {SDL_SCANCODE_COMMA, 0x33, 188},
    {SDL_SCANCODE_PERIOD, 0x34, 190},
    {SDL_SCANCODE_SLASH, 0x35, 189},  // -
    {SDL_SCANCODE_RSHIFT, 0x36, 161},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, 106},
    {SDL_SCANCODE_LALT, 0x38, 164},
    {SDL_SCANCODE_SPACE, 0x39, 32},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, 20},
    {SDL_SCANCODE_F1, 0x3B, 112},
    {SDL_SCANCODE_F2, 0x3C, 113},
    {SDL_SCANCODE_F3, 0x3D, 114},
    {SDL_SCANCODE_F4, 0x3E, 115},
    {SDL_SCANCODE_F5, 0x3F, 116},
    {SDL_SCANCODE_F6, 0x40, 117},
    {SDL_SCANCODE_F7, 0x41, 118},
    {SDL_SCANCODE_F8, 0x42, 119},
    {SDL_SCANCODE_F9, 0x43, 120},
    {SDL_SCANCODE_F10, 0x44, 121},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, 144},
    {SDL_SCANCODE_SCROLLLOCK, 0x46, 145},
    {SDL_SCANCODE_KP_7, 0x47, 103},
    {SDL_SCANCODE_KP_8, 0x48, 104},
    {SDL_SCANCODE_KP_9, 0x49, 105},
    {SDL_SCANCODE_KP_MINUS, 0x4A, 109},
    {SDL_SCANCODE_KP_4, 0x4B, 100},
    {SDL_SCANCODE_KP_5, 0x4C, 101},
    {SDL_SCANCODE_KP_6, 0x4D, 102},
    {SDL_SCANCODE_KP_PLUS, 0x4E, 107},
    {SDL_SCANCODE_KP_1, 0x4F, 97},
    {SDL_SCANCODE_KP_2, 0x50, 98},
    {SDL_SCANCODE_KP_3, 0x51, 99},
    {SDL_SCANCODE_KP_0, 0x52, 96},
    {SDL_SCANCODE_KP_PERIOD, 0x53, 110},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, 226},  // <
    {SDL_SCANCODE_F11, 0x57, 122},
    {SDL_SCANCODE_F12, 0x58, 123},
    {SDL_SCANCODE_KP_ENTER, 0x9C, 13},
    {SDL_SCANCODE_RCTRL, 0x9D, 163},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5, 111},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7, 44},
    {SDL_SCANCODE_RALT, 0xB8, 165},
    {SDL_SCANCODE_PAUSE, 0xC5, 19},
    {SDL_SCANCODE_HOME, 0xC7, 36},
    {SDL_SCANCODE_UP, 0xC8, 38},
    {SDL_SCANCODE_PAGEUP, 0xC9, 33},
    {SDL_SCANCODE_LEFT, 0xCB, 37},
    {SDL_SCANCODE_RIGHT, 0xCD, 39},
    {SDL_SCANCODE_END, 0xCF, 35},
    {SDL_SCANCODE_DOWN, 0xD0, 40},
    {SDL_SCANCODE_PAGEDOWN, 0xD1, 34},
    {SDL_SCANCODE_INSERT, 0xD2, 45},
    {SDL_SCANCODE_DELETE, 0xD3, 46},
    {SDL_SCANCODE_LGUI, 0xDB, 91},
    {SDL_SCANCODE_RGUI, 0xDC, 92},
    {SDL_SCANCODE_APPLICATION, 0xDD, 93},
};

struct Tables {
  std::array<int, SDL_NUM_SCANCODES> set1{};
  std::array<int, SDL_NUM_SCANCODES> virtualKey{};
  constexpr Tables() {
    for (const KeyRow& row : kKeys) {
      set1[row.scancode] = row.set1;
      virtualKey[row.scancode] = row.virtualKey;
    }
  }
};

constexpr Tables kTables;

}  // namespace

int ScanCodeOf(SDL_Scancode scancode) {
  return scancode >= 0 && scancode < SDL_NUM_SCANCODES ? kTables.set1[scancode] : 0;
}

int VirtualKeyOf(SDL_Scancode scancode, SDL_Keycode keycode) {
  if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
  return scancode >= 0 && scancode < SDL_NUM_SCANCODES ? kTables.virtualKey[scancode] : 0;
}

}  // namespace kb
