#include "common/platform/sdl/virtual_keyboard.h"

#include <gtest/gtest.h>

namespace kb {
namespace {

TEST(VirtualKeyboard, PressedSinceTheLastQueryOfThatCode) {
  VirtualKeyboard keys;
  EXPECT_FALSE(keys.Query('A'));
  // A tap between two frames is reported once.
  keys.KeyDown('A', 0);
  keys.KeyUp('A');
  EXPECT_FALSE(keys.Down('A'));
  EXPECT_TRUE(keys.Query('A'));
  EXPECT_FALSE(keys.Query('A'));
  // Querying one code leaves another code's press pending.
  keys.KeyDown('B', 0);
  keys.KeyUp('B');
  keys.KeyDown('C', 0);
  keys.KeyUp('C');
  EXPECT_TRUE(keys.Query('C'));
  EXPECT_TRUE(keys.Query('B'));
  // A held key answers every query.
  keys.KeyDown(vk::kReturn, 0);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(keys.Query(vk::kReturn));
  keys.KeyUp(vk::kReturn);
  EXPECT_FALSE(keys.Query(vk::kReturn));  // the press was already reported
}

TEST(VirtualKeyboard, EitherSideModifiersAndMouseButtons) {
  VirtualKeyboard keys;
  keys.KeyDown(160, 0);  // left Shift
  keys.KeyDown(161, 0);  // right Shift
  keys.KeyUp(160);
  EXPECT_TRUE(keys.Down(vk::kShift));  // the right one is still held
  keys.KeyUp(161);
  EXPECT_FALSE(keys.Down(vk::kShift));
  EXPECT_TRUE(keys.Query(vk::kShift));  // but it was pressed
  EXPECT_FALSE(keys.Query(vk::kShift));

  keys.KeyDown(163, 0);
  EXPECT_TRUE(keys.Down(vk::kControl));
  EXPECT_FALSE(keys.Down(162));

  keys.ButtonDown(vk::kLeftButton);
  keys.ButtonUp(vk::kLeftButton);
  keys.ButtonDown(vk::kMiddleButton);
  EXPECT_TRUE(keys.Query(vk::kLeftButton));
  EXPECT_FALSE(keys.Query(vk::kLeftButton));
  EXPECT_FALSE(keys.Query(vk::kRightButton));
  EXPECT_TRUE(keys.Query(vk::kMiddleButton));
  EXPECT_TRUE(keys.Query(vk::kMiddleButton));
}

TEST(VirtualKeyboard, LosingTheFocusReleasesButKeepsUnreportedPresses) {
  VirtualKeyboard keys;
  keys.KeyDown('W', 0);
  keys.ButtonDown(vk::kRightButton);
  EXPECT_TRUE(keys.Query('W'));
  keys.ReleaseAll();
  EXPECT_FALSE(keys.Query('W'));
  EXPECT_TRUE(keys.Query(vk::kRightButton));  // pressed, never asked about
  EXPECT_FALSE(keys.Query(vk::kRightButton));
}

TEST(VirtualKeyboard, OutOfRangeCodesAreHarmless) {
  VirtualKeyboard keys;
  for (int code : {-1, 0, vk::kCount, 100000}) {
    keys.KeyDown(code, 0);
    keys.Text('x');
    keys.KeyUp(code);
    keys.ButtonDown(code);
    EXPECT_FALSE(keys.Query(code));
    EXPECT_FALSE(keys.Down(code));
    EXPECT_EQ(keys.CharFor(code, 0), -1);
  }
}

TEST(VirtualKeyboard, CharactersAreLearntPerKeyAndModifiers) {
  VirtualKeyboard keys;
  EXPECT_EQ(keys.CharFor('7', 0), -1);
  keys.KeyDown('7', 0);
  keys.Text('7');
  keys.KeyDown('7', VirtualKeyboard::kShift);
  keys.Text('/');
  keys.KeyDown('7', VirtualKeyboard::kAltGr);
  keys.Text('{');
  EXPECT_EQ(keys.CharFor('7', 0), '7');
  EXPECT_EQ(keys.CharFor('7', VirtualKeyboard::kShift), '/');
  EXPECT_EQ(keys.CharFor('7', VirtualKeyboard::kAltGr), '{');
  EXPECT_EQ(keys.CharFor('7', VirtualKeyboard::kShift | VirtualKeyboard::kAltGr), -1);

  // Umlauts arrive as Latin-1; a character beyond it types nothing.
  keys.KeyDown(186, 0);
  keys.Text(0xFC);
  keys.KeyDown('E', VirtualKeyboard::kAltGr);
  keys.Text(0x20AC);
  EXPECT_EQ(keys.CharFor(186, 0), 0xFC);
  EXPECT_EQ(keys.CharFor('E', VirtualKeyboard::kAltGr), 0);

  // Text belongs to the latest key press only; a second text event (an input
  // method, a paste) teaches nothing.
  keys.KeyDown('A', 0);
  keys.Text('a');
  keys.Text('q');
  EXPECT_EQ(keys.CharFor('A', 0), 'a');
  // A dead key types nothing by itself; the next key's text is its own.
  keys.KeyDown(220, 0);
  keys.KeyDown('A', VirtualKeyboard::kShift);
  keys.Text(0xC2);
  EXPECT_EQ(keys.CharFor(220, 0), -1);
  EXPECT_EQ(keys.CharFor('A', VirtualKeyboard::kShift), 0xC2);
  // Mouse buttons do not take the pending key's text away.
  keys.KeyDown('B', 0);
  keys.ButtonDown(vk::kLeftButton);
  keys.Text('b');
  EXPECT_EQ(keys.CharFor('B', 0), 'b');
}

}  // namespace
}  // namespace kb
