#include "common/platform/sdl/key_codes.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <map>

#include "common/platform/core/keys.h"

namespace kb {
namespace {

TEST(KeyCodes, EveryKeyTheGameNamesHasItsScanCode) {
  const std::map<SDL_Scancode, int> expected = {
      {SDL_SCANCODE_ESCAPE, scan::kEscape},
      {SDL_SCANCODE_1, scan::k1},
      {SDL_SCANCODE_2, scan::k2},
      {SDL_SCANCODE_6, scan::k6},
      {SDL_SCANCODE_7, scan::k7},
      {SDL_SCANCODE_EQUALS, scan::kAcute},
      {SDL_SCANCODE_BACKSPACE, scan::kBackspace},
      {SDL_SCANCODE_TAB, scan::kTab},
      {SDL_SCANCODE_Q, scan::kQ},
      {SDL_SCANCODE_P, scan::kP},
      {SDL_SCANCODE_LEFTBRACKET, scan::kUDiaeresis},
      {SDL_SCANCODE_RETURN, scan::kEnter},
      {SDL_SCANCODE_LCTRL, scan::kLeftCtrl},
      {SDL_SCANCODE_D, scan::kD},
      {SDL_SCANCODE_F, scan::kF},
      {SDL_SCANCODE_K, scan::kK},
      {SDL_SCANCODE_GRAVE, scan::kGrave},
      {SDL_SCANCODE_LSHIFT, scan::kLeftShift},
      {SDL_SCANCODE_Z, scan::kZ},
      {SDL_SCANCODE_C, scan::kC},
      {SDL_SCANCODE_V, scan::kV},
      {SDL_SCANCODE_M, scan::kM},
      {SDL_SCANCODE_COMMA, scan::kComma},
      {SDL_SCANCODE_RSHIFT, scan::kRightShift},
      {SDL_SCANCODE_SPACE, scan::kSpace},
      {SDL_SCANCODE_CAPSLOCK, scan::kCapsLock},
      {SDL_SCANCODE_F1, scan::kF1},
      {SDL_SCANCODE_F2, scan::kF2},
      {SDL_SCANCODE_F5, scan::kF5},
      {SDL_SCANCODE_NONUSBACKSLASH, scan::kLessGreater},
      {SDL_SCANCODE_RCTRL, scan::kRightCtrl},
      {SDL_SCANCODE_UP, scan::kUp},
      {SDL_SCANCODE_PAGEUP, scan::kPageUp},
      {SDL_SCANCODE_LEFT, scan::kLeft},
      {SDL_SCANCODE_RIGHT, scan::kRight},
      {SDL_SCANCODE_DOWN, scan::kDown},
      {SDL_SCANCODE_PAGEDOWN, scan::kPageDown},
  };
  for (const auto& [sdl, set1] : expected) EXPECT_EQ(ScanCodeOf(sdl), set1) << SDL_GetScancodeName(sdl);
  // The cursor keys are the extended keys of the number block's 4, 6, 8, 2.
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_LEFT), ScanCodeOf(SDL_SCANCODE_KP_4) + 128);
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_UP), ScanCodeOf(SDL_SCANCODE_KP_8) + 128);
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_RCTRL), ScanCodeOf(SDL_SCANCODE_LCTRL) + 128);
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_KP_ENTER), ScanCodeOf(SDL_SCANCODE_RETURN) + 128);
}

TEST(KeyCodes, ScanCodesAreDistinctAndInRange) {
  std::map<int, SDL_Scancode> seen;
  for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
    auto sdl = static_cast<SDL_Scancode>(i);
    int code = ScanCodeOf(sdl);
    if (!code) continue;
    ASSERT_GT(code, 0);
    ASSERT_LT(code, scan::kCount);
    // The ISO key beside Enter and the US backslash are one physical key.
    if (sdl == SDL_SCANCODE_NONUSHASH) continue;
    auto [where, fresh] = seen.emplace(code, sdl);
    EXPECT_TRUE(fresh) << SDL_GetScancodeName(sdl) << " repeats " << SDL_GetScancodeName(where->second);
  }
  EXPECT_GE(seen.size(), 100u);
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(ScanCodeOf(static_cast<SDL_Scancode>(-1)), 0);
  EXPECT_EQ(ScanCodeOf(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), 0);
}

TEST(KeyCodes, VirtualKeysFollowTheLayoutForLetters) {
  // German layout: the key in the US Y position types z.
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_Y, SDLK_z), 'Z');
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_Z, SDLK_y), 'Y');
  // French layout: the US semicolon position types m.
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_SEMICOLON, SDLK_m), 'M');
  // Non-Latin layouts keep the letter of the key's position.
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_V, 0x43C), 'V');

  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_RETURN, SDLK_RETURN), vk::kReturn);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), vk::kReturn);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), vk::kEscape);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), vk::kBackspace);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_TAB, SDLK_TAB), vk::kTab);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_SPACE, SDLK_SPACE), vk::kSpace);
  for (int d = 0; d < 10; ++d) {
    auto sdl = static_cast<SDL_Scancode>(d == 0 ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + d - 1);
    EXPECT_EQ(VirtualKeyOf(sdl, '0' + d), '0' + d);
    // Top-row digits keep their number on layouts where they type symbols.
    EXPECT_EQ(VirtualKeyOf(sdl, '&'), '0' + d);
  }
  // The console key left of 1 is 220 whatever it types.
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_GRAVE, SDLK_CARET), 220);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE), 220);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS), 226);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), 160);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_RCTRL, SDLK_RCTRL), 163);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_F1, SDLK_F1), 112);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_F12, SDLK_F12), 123);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_KP_0, SDLK_KP_0), 96);
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_UNKNOWN, 0), 0);
  EXPECT_EQ(VirtualKeyOf(static_cast<SDL_Scancode>(9999), 0), 0);
}

TEST(KeyCodes, VirtualKeysFitTheQueryTable) {
  for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
    int key = VirtualKeyOf(static_cast<SDL_Scancode>(i), 0);
    ASSERT_GE(key, 0);
    ASSERT_LT(key, 256);  // typing loops scan 10..255
    if (key) {
      ASSERT_GE(key, 8);  // 1..7 are the mouse buttons
    }
  }
}

}  // namespace
}  // namespace kb
