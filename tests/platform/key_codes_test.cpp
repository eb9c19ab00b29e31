#include "common/platform/sdl/key_codes.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "common/platform/core/keys.h"

namespace kb {
namespace {

TEST(KeyCodes, ScanCodesAreDistinctAndVirtualKeysFollowTheLayout) {
  // clang-format off
  const std::pair<SDL_Scancode, int> named[] = {
      {SDL_SCANCODE_ESCAPE, scan::kEscape}, {SDL_SCANCODE_7, scan::k7}, {SDL_SCANCODE_EQUALS, scan::kAcute},
      {SDL_SCANCODE_TAB, scan::kTab}, {SDL_SCANCODE_LEFTBRACKET, scan::kUDiaeresis},
      {SDL_SCANCODE_RETURN, scan::kEnter}, {SDL_SCANCODE_LCTRL, scan::kLeftCtrl}, {SDL_SCANCODE_GRAVE, scan::kGrave},
      {SDL_SCANCODE_LSHIFT, scan::kLeftShift}, {SDL_SCANCODE_Z, scan::kZ}, {SDL_SCANCODE_F5, scan::kF5},
      {SDL_SCANCODE_NONUSBACKSLASH, scan::kLessGreater}, {SDL_SCANCODE_RCTRL, scan::kRightCtrl},
      {SDL_SCANCODE_UP, scan::kUp}, {SDL_SCANCODE_PAGEDOWN, scan::kPageDown}};
  // clang-format on
  for (auto [sdl, set1] : named) EXPECT_EQ(ScanCodeOf(sdl), set1) << SDL_GetScancodeName(sdl);
  // Extended keys are the plain key's code + 128.
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_KP_ENTER), ScanCodeOf(SDL_SCANCODE_RETURN) + 128);
  std::map<int, SDL_Scancode> seen;
  for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
    auto sdl = static_cast<SDL_Scancode>(i);
    int code = ScanCodeOf(sdl);
    // The ISO key beside Enter and the US backslash are one physical key.
    if (!code || sdl == SDL_SCANCODE_NONUSHASH) continue;
    ASSERT_LT(code, scan::kCount);
    auto [where, fresh] = seen.emplace(code, sdl);
    EXPECT_TRUE(fresh) << SDL_GetScancodeName(sdl) << " repeats " << SDL_GetScancodeName(where->second);
  }
  EXPECT_GE(seen.size(), 100u);
  EXPECT_EQ(ScanCodeOf(static_cast<SDL_Scancode>(-1)), 0);
  EXPECT_EQ(ScanCodeOf(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), 0);

  // Virtual keys follow the layout for letters only.
  const struct {
    SDL_Scancode sdl;
    SDL_Keycode sym;
    int expected;
  } cases[] = {// clang-format off
      {SDL_SCANCODE_Y, SDLK_z, 'Z'}, {SDL_SCANCODE_SEMICOLON, SDLK_m, 'M'},  // German, French layouts
      {SDL_SCANCODE_V, 0x43C, 'V'},  // Cyrillic: the letter of the key's position
      {SDL_SCANCODE_7, '&', '7'}, {SDL_SCANCODE_0, '0', '0'},  // top-row digits keep their number
      // The console key left of 1, whatever it types.
      {SDL_SCANCODE_GRAVE, SDLK_CARET, 220}, {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, 220},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, vk::kReturn}, {SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, 226},
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 160}, {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 163},
      {SDL_SCANCODE_F12, SDLK_F12, 123}, {SDL_SCANCODE_KP_0, SDLK_KP_0, 96},
      {static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 1), 0, 0}};  // past the table
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyOf(c.sdl, c.sym), c.expected) << SDL_GetScancodeName(c.sdl);
  for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
    int key = VirtualKeyOf(static_cast<SDL_Scancode>(i), 0);
    // Typing loops scan 10..255 and 1..7 are the mouse buttons.
    ASSERT_TRUE(key == 0 || (key >= 8 && key < 256)) << i << " -> " << key;
  }
}

}  // namespace
}  // namespace kb
