#include "common/platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace kb {
namespace {

void Push(Uint32 type, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, SDL_Keycode sym = 0, const char* text = "") {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode, event.key.keysym.sym = sym;
  if (type == SDL_TEXTINPUT) std::strncpy(event.text.text, text, sizeof event.text.text - 1);
  SDL_PushEvent(&event);
}

// SDL's dummy video driver (set for every test program): a real window without a desktop.
TEST(SdlPlatform, OpensPresentsReopensAndPassesEventsOn) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.Init());
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
  ASSERT_TRUE(platform.Open(false, 10, 10));  // opening again replaces the display

  EXPECT_FALSE(platform.TakeCloseRequest());
  Push(SDL_QUIT);
  platform.Poll();
  EXPECT_TRUE(platform.TakeCloseRequest() && !platform.TakeCloseRequest());  // taken once

  // The layout's letter, the text typed and the tap reach the game through
  // the event queue; the rules of each are the key table's and the keyboard's.
  Push(SDL_KEYDOWN, SDL_SCANCODE_Y, SDLK_z);  // German layout
  Push(SDL_TEXTINPUT, {}, 0, "\xC3\xBC");       // typed as UTF-8, kept as Latin-1
  Push(SDL_KEYUP, SDL_SCANCODE_Y, SDLK_z);
  platform.Poll();
  EXPECT_TRUE(platform.AsyncKey('Z') && !platform.AsyncKey('Z'));  // the tap is reported once
  EXPECT_EQ(platform.KeyToChar('Z'), 0xFC);
  EXPECT_FALSE(platform.KeyDown(-1) || platform.KeyDown(scan::kCount));
}

}  // namespace
}  // namespace kb
