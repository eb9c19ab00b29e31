#include "common/platform/sdl/key_codes.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <map>

#include "common/platform/core/keys.h"

namespace kb {
namespace {

TEST(KeyCodes, ScanCodesAreDistinctLettersFollowTheLayoutTheRestThePosition) {
  std::map<int, SDL_Scancode> seen;
  for (int i = 0; i < SDL_NUM_SCANCODES; ++i) {
    auto sdl = static_cast<SDL_Scancode>(i);
    int code = ScanCodeOf(sdl);
    // The ISO key beside Enter and the US backslash are one physical key.
    if (!code || sdl == SDL_SCANCODE_NONUSHASH) continue;
    ASSERT_LT(code, scan::kCount);
    auto [where, fresh] = seen.emplace(code, sdl);
    EXPECT_TRUE(fresh) << SDL_GetScancodeName(sdl) << " repeats " << SDL_GetScancodeName(where->second);
    // Typing loops scan 10..255 and 1..7 are the mouse buttons.
    int key = VirtualKeyOf(sdl, 0);
    EXPECT_TRUE(key == 0 || (key >= 8 && key < 256)) << SDL_GetScancodeName(sdl) << " -> " << key;
  }
  EXPECT_GE(seen.size(), 100u);
  // Extended keys are the plain key's code + 128.
  EXPECT_EQ(ScanCodeOf(SDL_SCANCODE_KP_ENTER), ScanCodeOf(SDL_SCANCODE_RETURN) + 128);
  for (int outside : {-1, int{SDL_NUM_SCANCODES}}) {
    EXPECT_EQ(ScanCodeOf(static_cast<SDL_Scancode>(outside)), 0);
    EXPECT_EQ(VirtualKeyOf(static_cast<SDL_Scancode>(outside), 0), 0);
  }
  const struct {
    SDL_Scancode sdl;
    SDL_Keycode sym;
    int expected;
  } cases[] = {// clang-format off
      {SDL_SCANCODE_Y, SDLK_z, 'Z'}, {SDL_SCANCODE_SEMICOLON, SDLK_m, 'M'},  // German, French layouts
      {SDL_SCANCODE_V, 0x43C, 'V'},  // Cyrillic: the letter of the key's position
      {SDL_SCANCODE_7, '&', '7'}};   // top-row digits keep their number
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyOf(c.sdl, c.sym), c.expected) << SDL_GetScancodeName(c.sdl);
  // The console key left of 1 is one key whatever it types.
  EXPECT_EQ(VirtualKeyOf(SDL_SCANCODE_GRAVE, SDLK_CARET), VirtualKeyOf(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE));
  EXPECT_NE(VirtualKeyOf(SDL_SCANCODE_GRAVE, SDLK_CARET), 0);
}

}  // namespace
}  // namespace kb
