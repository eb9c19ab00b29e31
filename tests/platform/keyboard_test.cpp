#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>

#include "common/platform/core/keys.h"
#include "common/platform/sdl/key_codes.h"
#include "common/platform/sdl/virtual_keyboard.h"

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

TEST(VirtualKeyboard, QueriesModifiersBadCodesAndCharactersPerKey) {
  VirtualKeyboard keys;
  EXPECT_FALSE(keys.Query('A'));
  // Taps and clicks between two frames are reported once each; querying one
  // code leaves another code's press pending.
  for (int code : {'A', 'B'}) keys.KeyDown(code, 0), keys.KeyUp(code);
  keys.ButtonDown(vk::kLeftButton), keys.ButtonUp(vk::kLeftButton);
  EXPECT_FALSE(keys.Down('A'));
  EXPECT_TRUE(keys.Query('B') && keys.Query('A') && keys.Query(vk::kLeftButton));
  EXPECT_FALSE(keys.Query('A') || keys.Query(vk::kLeftButton));
  // A held key answers every query; its release adds no second press.
  keys.KeyDown(vk::kReturn, 0);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(keys.Query(vk::kReturn));
  keys.KeyUp(vk::kReturn);
  EXPECT_FALSE(keys.Query(vk::kReturn));
  // Losing the focus releases everything but keeps presses never asked about.
  keys.KeyDown('W', 0), keys.ButtonDown(vk::kRightButton);
  EXPECT_TRUE(keys.Query('W'));
  keys.ReleaseAll();
  EXPECT_TRUE(!keys.Query('W') && keys.Query(vk::kRightButton));
  // Either side of a modifier counts.
  keys.KeyDown(160, 0), keys.KeyDown(161, 0);  // left and right Shift
  keys.KeyUp(160);
  EXPECT_TRUE(keys.Down(vk::kShift));  // the right one is still held
  keys.KeyUp(161);
  EXPECT_TRUE(!keys.Down(vk::kShift) && keys.Query(vk::kShift));  // released, but it was pressed
  keys.KeyDown(163, 0);
  EXPECT_TRUE(keys.Down(vk::kControl) && !keys.Down(162));
  for (int code : {-1, 0, vk::kCount, 100000}) {  // bad codes are ignored
    keys.KeyDown(code, 0), keys.Text('x');
    keys.KeyUp(code), keys.ButtonDown(code);
    EXPECT_TRUE(!keys.Query(code) && !keys.Down(code) && keys.CharFor(code, 0) == -1) << code;
  }
  using VK = VirtualKeyboard;
  keys = VK();  // nothing learnt yet
  auto type = [&keys](int code, int modifiers, std::initializer_list<int> texts) {
    keys.KeyDown(code, modifiers);
    for (int text : texts) keys.Text(text);
  };
  type('7', 0, {'7'});
  type('7', VK::kShift, {'/'});
  type('7', VK::kAltGr, {'{'});
  type(186, 0, {0xFC});             // umlauts arrive as Latin-1
  type('E', VK::kAltGr, {0x20AC});  // beyond Latin-1 types nothing
  type('A', 0, {'a', 'q'});         // a second text (an input method, a paste) teaches nothing
  type(220, 0, {});                 // a dead key types nothing by itself,
  type('A', VK::kShift, {0xC2});    // the next key's text is its own
  keys.KeyDown('B', 0);
  keys.ButtonDown(vk::kLeftButton);  // mouse buttons do not take the pending key's text away
  keys.Text('b');
  // clang-format off
  const struct { int code, modifiers, expected; } learnt[] = {
      {'7', 0, '7'}, {'7', VK::kShift, '/'}, {'7', VK::kAltGr, '{'}, {'7', VK::kShift | VK::kAltGr, -1},
      {186, 0, 0xFC}, {'E', VK::kAltGr, 0}, {'A', 0, 'a'}, {220, 0, -1}, {'A', VK::kShift, 0xC2},
      {'B', 0, 'b'}, {'C', 0, -1}};
  // clang-format on
  for (auto l : learnt)
    EXPECT_EQ(keys.CharFor(l.code, l.modifiers), l.expected) << l.code << "/" << l.modifiers;
}

}  // namespace
}  // namespace kb
