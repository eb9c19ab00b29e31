#include "common/platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace kb {
namespace {

void Push(Uint32 type, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, SDL_Keycode sym = 0,
          const char* text = "") {
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
  Push(SDL_TEXTINPUT, {}, 0, "\xC3\xBC");     // typed as UTF-8, kept as Latin-1
  Push(SDL_KEYUP, SDL_SCANCODE_Y, SDLK_z);
  platform.Poll();
  EXPECT_TRUE(platform.AsyncKey('Z') && !platform.AsyncKey('Z'));  // the tap is reported once
  EXPECT_EQ(platform.KeyToChar('Z'), 0xFC);
  EXPECT_EQ(platform.TypedText(), "");  // the key's text, not typed text
  // Text without a key press (a phone's keyboard) is typed text, for one snapshot.
  Push(SDL_TEXTINPUT, {}, 0, "a\xC3\xA4");
  platform.Poll();
  EXPECT_EQ(platform.TypedText(), "a\xE4");
  platform.Poll();
  EXPECT_EQ(platform.TypedText(), "");
  EXPECT_FALSE(platform.KeyDown(-1) || platform.KeyDown(scan::kCount));
}

void PushFinger(Uint32 type, SDL_FingerID finger, float x, float y, SDL_TouchID device = 1) {
  SDL_Event event{};
  event.type = type;
  event.tfinger.touchId = device, event.tfinger.fingerId = finger, event.tfinger.x = x, event.tfinger.y = y;
  SDL_PushEvent(&event);
}

// Fingers are read in frame pixels where they are at each snapshot; one that touched and left between two
// snapshots is seen once. SDL's fingers made from the mouse, and its clicks made from a finger, are not.
TEST(SdlPlatform, FingersBecomeTouchesNotClicks) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.Init());
  ASSERT_TRUE(platform.Open(false, 10, 10));
  PushFinger(SDL_FINGERDOWN, 1, 0.25f, 0.5f);
  PushFinger(SDL_FINGERDOWN, 1, 0.5f, 0.5f, SDL_MOUSE_TOUCHID);
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN, click.button.which = SDL_TOUCH_MOUSEID,
  click.button.button = SDL_BUTTON_LEFT;
  SDL_PushEvent(&click);
  platform.Poll();
  EXPECT_EQ(platform.Touches(), (std::vector<TouchPoint>{{200, 300}}));
  EXPECT_FALSE(platform.AsyncKey(vk::kLeftButton));
  PushFinger(SDL_FINGERMOTION, 1, 0.75f, 0.1f);
  PushFinger(SDL_FINGERDOWN, 1, 0.1f, 0.1f, 2);  // another screen's first finger
  PushFinger(SDL_FINGERDOWN, 7, 0.5f, 0.99f);
  PushFinger(SDL_FINGERUP, 7, 0.5f, 0.99f);
  platform.Poll();
  EXPECT_EQ(platform.Touches(), (std::vector<TouchPoint>{{600, 60}, {80, 60}, {400, 594}}));
  PushFinger(SDL_FINGERUP, 1, 0.75f, 0.1f);
  PushFinger(SDL_FINGERUP, 9, 0.5f, 0.5f);  // a lift never seen going down
  platform.Poll();
  EXPECT_EQ(platform.Touches(), (std::vector<TouchPoint>{{80, 60}}));
}

// Virtual controllers attached here (no hardware): the D-pad, the shoulders and the stick past its dead
// zone steer, A is use, Start and Back read as they are; a second pad of the same kind is "#2"; a pad that
// is pulled out is gone, and one plugged in again is its kind's first once more.
TEST(SdlPlatform, GameControllersComeReadAndGo) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.Init());
  auto attach = [] {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    return SDL_JoystickOpen(index);
  };
  SDL_Joystick* first = attach();
  SDL_Joystick* second = attach();
  ASSERT_TRUE(first && second) << SDL_GetError();
  platform.Poll();
  std::vector<PadState> pads = platform.Pads();
  ASSERT_EQ(pads.size(), 2u);
  EXPECT_EQ(pads[0].id.size(), 32u);
  EXPECT_EQ(pads[1].id, pads[0].id + "#2");
  EXPECT_EQ(pads[0], (PadState{.id = pads[0].id}));

  struct Case {
    int button = -1, axis = -1, value = 0;
    PadState read;
  } cases[] = {
      {.button = SDL_CONTROLLER_BUTTON_DPAD_LEFT, .read = {.left = true}},
      {.button = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, .read = {.right = true}},
      {.button = SDL_CONTROLLER_BUTTON_A, .read = {.use = true}},
      {.button = SDL_CONTROLLER_BUTTON_START, .read = {.start = true}},
      {.button = SDL_CONTROLLER_BUTTON_BACK, .read = {.back = true}},
      {.axis = SDL_CONTROLLER_AXIS_LEFTX, .value = -SdlPads::kDeadZone, .read = {}},
      {.axis = SDL_CONTROLLER_AXIS_LEFTX, .value = -SdlPads::kDeadZone - 1, .read = {.left = true}},
      {.axis = SDL_CONTROLLER_AXIS_LEFTX, .value = 32767, .read = {.right = true}},
      {.axis = SDL_CONTROLLER_AXIS_LEFTY, .value = 32767, .read = {}},
  };
  for (const Case& c : cases) {
    if (c.button >= 0) SDL_JoystickSetVirtualButton(second, c.button, 1);
    if (c.axis >= 0) SDL_JoystickSetVirtualAxis(second, c.axis, static_cast<Sint16>(c.value));
    platform.Poll();
    PadState expected = c.read;
    expected.id = pads[1].id;
    EXPECT_EQ(platform.Pads().at(1), expected) << c.button << " " << c.axis << " " << c.value;
    if (c.button >= 0) SDL_JoystickSetVirtualButton(second, c.button, 0);
    if (c.axis >= 0) SDL_JoystickSetVirtualAxis(second, c.axis, 0);
  }

  SDL_JoystickClose(first);
  SDL_JoystickDetachVirtual(0);
  platform.Poll();
  ASSERT_EQ(platform.Pads().size(), 1u);
  EXPECT_EQ(platform.Pads()[0].id, pads[1].id);
  SDL_JoystickClose(attach());
  platform.Poll();
  ASSERT_EQ(platform.Pads().size(), 2u);
  EXPECT_EQ(platform.Pads()[1].id, pads[0].id);
  SDL_JoystickClose(second);
}

}  // namespace
}  // namespace kb
