#include "common/platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace kb {
namespace {

// SDL's dummy video driver: a real window object without a desktop.
class SdlPlatformTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(platform.Init());
  }

  static void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    SDL_PushEvent(&event);
  }
  static void PushText(const char* utf8) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
  }
  static void PushButton(Uint32 type, Uint8 button) {
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
  }

  SdlPlatform platform;
};

TEST_F(SdlPlatformTest, OpensPresentsAndReopensTheWindow) {
  ASSERT_TRUE(platform.Open(false, 40, 30));
  int x = -1, y = -1;
  EXPECT_TRUE(platform.WindowPosition(x, y));
  Image frame(800, 600, Rgb(10, 20, 30));
  platform.Present(frame);
  platform.Present(Image());  // an empty frame is ignored
  platform.Close();
  EXPECT_FALSE(platform.WindowPosition(x, y));
  platform.Present(frame);  // nothing open: nothing happens

  ASSERT_TRUE(platform.Open(true, 0, 0));
  EXPECT_FALSE(platform.WindowPosition(x, y));  // full screen has no window position
  platform.Present(frame);
  platform.Poll();
  EXPECT_GE(platform.MouseX(), 0);
  EXPECT_LT(platform.MouseX(), 800);
  EXPECT_GE(platform.MouseY(), 0);
  EXPECT_LT(platform.MouseY(), 600);
  ASSERT_TRUE(platform.Open(false, 10, 10));  // opening again replaces the display
  int width = 0, height = 0;
  platform.DesktopSize(width, height);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
}

TEST_F(SdlPlatformTest, CloseRequestIsTakenOnce) {
  ASSERT_TRUE(platform.Open(false, 0, 0));
  platform.Poll();
  EXPECT_FALSE(platform.TakeCloseRequest());
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  platform.Poll();
  EXPECT_TRUE(platform.TakeCloseRequest());
  EXPECT_FALSE(platform.TakeCloseRequest());
}

TEST_F(SdlPlatformTest, KeyEventsFeedTheQueryAndTheCharacters) {
  ASSERT_TRUE(platform.Open(false, 0, 0));
  platform.Poll();
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_Y, SDLK_z);  // German layout
  PushText("z");
  PushKey(SDL_KEYUP, SDL_SCANCODE_Y, SDLK_z);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFTBRACKET, 0xFC);
  PushText("\xC3\xBC");
  PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
  PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
  platform.Poll();
  EXPECT_TRUE(platform.AsyncKey('Z'));
  EXPECT_FALSE(platform.AsyncKey('Z'));
  EXPECT_FALSE(platform.AsyncKey('Y'));
  EXPECT_EQ(platform.KeyToChar('Z'), 'z');
  EXPECT_TRUE(platform.AsyncKey(186));
  EXPECT_TRUE(platform.AsyncKey(186));  // still held
  EXPECT_EQ(platform.KeyToChar(186), 0xFC);
  EXPECT_TRUE(platform.AsyncKey(vk::kRightButton));
  EXPECT_FALSE(platform.AsyncKey(vk::kRightButton));
  EXPECT_EQ(platform.KeyToChar(vk::kLeftButton), 0);
  EXPECT_EQ(platform.KeyToChar(-5), 0);
  EXPECT_FALSE(platform.KeyDown(-1));
  EXPECT_FALSE(platform.KeyDown(scan::kCount));
}

TEST_F(SdlPlatformTest, ClipboardWithoutADesktopIsEmpty) {
  ASSERT_TRUE(platform.Open(false, 0, 0));
  EXPECT_EQ(platform.ClipboardText(), "");
}

}  // namespace
}  // namespace kb
