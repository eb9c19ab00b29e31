#include "common/platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "common/platform/core/latin1.h"
#include "common/platform/sdl/desktop_session.h"
#include "common/platform/sdl/key_codes.h"

namespace kb {

namespace {

// Without a reachable display SDL falls back to its offscreen driver: a game
// that runs where nobody sees it. The drivers without a screen count only when
// asked for by name (SDL_VIDEODRIVER, as the tests do).
bool UnseenDriverNotAskedFor() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  return !asked || std::strcmp(asked, driver) != 0;
}

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

// Whether the renderer draws through OpenGL on the CPU (Mesa's llvmpipe or
// softpipe, as in a virtual display): its upload, filtering and buffer swap
// cost several milliseconds a frame, where SDL's software renderer writing to
// the window's shared-memory image costs a fraction of one.
bool RasterisesOnTheCpu(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strncmp(info.name, "opengl", 6) != 0) return false;
  if (!SDL_GL_GetCurrentContext()) return false;
  using GetString = const unsigned char*(SDLCALL*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (!getString) return false;
  constexpr unsigned kGlRenderer = 0x1F01;
  const char* name = reinterpret_cast<const char*>(getString(kGlRenderer));
  if (!name) return false;
  for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
    if (SDL_strstr(name, soft)) return true;
  return false;
}

int MouseButtonKey(int sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return vk::kLeftButton;
    case SDL_BUTTON_RIGHT:
      return vk::kRightButton;
    case SDL_BUTTON_MIDDLE:
      return vk::kMiddleButton;
    case SDL_BUTTON_X1:
      return 5;
    case SDL_BUTTON_X2:
      return 6;
    default:
      return 0;
  }
}

int ModifiersNow() {
  SDL_Keymod mod = SDL_GetModState();
  int modifiers = 0;
  if (mod & KMOD_SHIFT) modifiers |= VirtualKeyboard::kShift;
  if ((mod & (KMOD_MODE | KMOD_RALT)) || ((mod & KMOD_CTRL) && (mod & KMOD_LALT)))
    modifiers |= VirtualKeyboard::kAltGr;
  if (mod & KMOD_CAPS) modifiers |= VirtualKeyboard::kCapsLock;
  return modifiers;
}

// Latin-1 upper case of a lower-case letter, else the character itself.
int UpperLatin1(int c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
  return c;
}

}  // namespace

SdlPlatform::~SdlPlatform() {
  Close();
  controllers_.reset();
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool SdlPlatform::Init() {
  if (initialised_) return true;
  // The game draws its own pointer in full screen and wants every click even
  // when the click gave the window the focus.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  // The software renderer writes to the window's own image (X11: shared
  // memory) instead of going through an OpenGL texture again.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  if (UnseenDriverNotAskedFor()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  initialised_ = true;
  MarkVideoThread();
  controllers_ = std::make_unique<SdlPads>();
  if (!controllers_->Init()) controllers_.reset();
  return true;
}

void SdlPlatform::ShowTextKeyboard(bool shown) {
#ifdef __EMSCRIPTEN__
  // The page's hidden text box takes the focus, which brings up a phone's keyboard.
  EM_ASM(
      {
        if (Module.showTextKeyboard) Module.showTextKeyboard($0);
      },
      shown ? 1 : 0);
#else
  (void)shown;
#endif
}

bool SdlPlatform::HasFullScreen() const {
#ifdef __EMSCRIPTEN__
  return false;
#else
  return true;
#endif
}

bool SdlPlatform::Open(bool fullScreen, int x, int y) {
  if (!initialised_) return false;
  Close();
  fullScreen = fullScreen && HasFullScreen();
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (fullScreen) {
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    x = y = SDL_WINDOWPOS_UNDEFINED_DISPLAY(0);
  }
#ifdef _WIN32
  // Windows places the client area at the position given: the frame's corner
  // (what WindowPosition reports) goes there once the frame is known.
  if (!fullScreen) flags = (flags & ~SDL_WINDOW_SHOWN) | SDL_WINDOW_HIDDEN;
#endif
  window_ = SDL_CreateWindow("Kringelbahn", x, y, kFrameWidth, kFrameHeight, flags);
  if (!window_) return false;
#ifdef _WIN32
  if (!fullScreen) {
    int top = 0, left = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr) == 0)
      SDL_SetWindowPosition(window_, x + left, y + top);
    SDL_ShowWindow(window_);
  }
#endif
  // Accelerated without vsync: the frame loop paces the presents itself.
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  // A renderer named by the user (SDL_RENDER_DRIVER) is kept as it is.
  if (renderer_ && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && RasterisesOnTheCpu(renderer_)) {
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
  }
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_ || SDL_RenderSetLogicalSize(renderer_, kFrameWidth, kFrameHeight) != 0) {
    Close();
    return false;
  }
  fullScreen_ = fullScreen;
  SDL_DisplayMode mode;
  int display = SDL_GetWindowDisplayIndex(window_);
  refreshRate_ = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
  SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
  if (fullScreen) SDL_RaiseWindow(window_);
  SDL_StartTextInput();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderPresent(renderer_);
  return true;
}

void SdlPlatform::Close() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  textureWidth_ = textureHeight_ = 0;
  fullScreen_ = false;
  refreshRate_ = 0;
}

void SdlPlatform::Present(const Image& frame) {
  if (!renderer_ || frame.Empty()) return;
  if (!texture_ || textureWidth_ != frame.Width() || textureHeight_ != frame.Height()) {
    if (texture_) SDL_DestroyTexture(texture_);
    // 0x00BBGGRR words are exactly this format's layout.
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STREAMING,
                                 frame.Width(), frame.Height());
    if (!texture_) return;
    textureWidth_ = frame.Width();
    textureHeight_ = frame.Height();
    // Filtering only where the frame is scaled (full screen); one to one it
    // changes no pixel and costs a filtered read of every one.
    int outputWidth = 0, outputHeight = 0;
    SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    if (outputWidth == textureWidth_ && outputHeight == textureHeight_)
      SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  }
  SDL_UpdateTexture(texture_, nullptr, frame.Data(), frame.Width() * 4);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
  presentedOnce_ = true;
}

bool SdlPlatform::WindowPosition(int& x, int& y) const {
  if (!window_ || fullScreen_) return false;
  SDL_GetWindowPosition(window_, &x, &y);
  // Window managers place the frame, not the client area, at the position a
  // window is opened with: report the frame's corner so that a saved position
  // opens the window at the same place next time instead of one title bar lower
  // (Windows, which places the client area, is helped in Open).
  int top = 0, left = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr) == 0) {
    x -= left;
    y -= top;
  }
  return true;
}

void SdlPlatform::DesktopSize(int& width, int& height) const {
  SDL_DisplayMode mode;
  if (initialised_ && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = kFrameWidth;
    height = kFrameHeight;
  }
}

bool SdlPlatform::HasFocus() const {
  return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlPlatform::TakeCloseRequest() {
  bool request = closeRequested_;
  closeRequested_ = false;
  return request;
}

void SdlPlatform::HandleEvent(const SDL_Event& event) {
  if (controllers_) controllers_->HandleEvent(event);
  switch (event.type) {
    case SDL_QUIT:
      closeRequested_ = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) closeRequested_ = true;
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) virtualKeys_.ReleaseAll();
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      SDL_Scancode scancode = event.key.keysym.scancode;
      int key = VirtualKeyOf(scancode, event.key.keysym.sym);
      if (!key) break;
      if (event.type == SDL_KEYDOWN) {
        keyPressedInPoll_ = true;
        virtualKeys_.KeyDown(key, ModifiersNow());
        scancodeOf_[key] = scancode;
      } else {
        virtualKeys_.KeyUp(key);
      }
      break;
    }
    case SDL_TEXTINPUT:
      // A key and the text it types come in one poll's events; text with no
      // key press is an on-screen keyboard's.
      if (keyPressedInPoll_)
        virtualKeys_.Text(SingleCodePoint(event.text.text));
      else
        typedText_ += Utf8ToLatin1(event.text.text);
      break;
    // SDL's clicks made from a finger: the game reads the finger itself.
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.which != SDL_TOUCH_MOUSEID)
        virtualKeys_.ButtonDown(MouseButtonKey(event.button.button));
      break;
    case SDL_MOUSEBUTTONUP:
      if (event.button.which != SDL_TOUCH_MOUSEID) virtualKeys_.ButtonUp(MouseButtonKey(event.button.button));
      break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
      HandleFinger(event);
      break;
    default:
      break;
  }
}

void SdlPlatform::HandleFinger(const SDL_Event& event) {
  // Fingers SDL makes from the mouse are the mouse already.
  if (event.tfinger.touchId == SDL_MOUSE_TOUCHID) return;
  auto finger = std::find_if(fingers_.begin(), fingers_.end(), [&](const Finger& f) {
    return f.device == event.tfinger.touchId && f.id == event.tfinger.fingerId;
  });
  if (finger == fingers_.end()) {
    // A screen reports only so many fingers; a lost lift must not grow this.
    if (event.type == SDL_FINGERUP || fingers_.size() >= 20) return;
    fingers_.push_back({event.tfinger.touchId, event.tfinger.fingerId, 0, 0, false, false});
    finger = fingers_.end() - 1;
  }
  finger->x = event.tfinger.x, finger->y = event.tfinger.y;
  if (event.type == SDL_FINGERDOWN) finger->lifted = false;
  // A finger that came and went between two snapshots stays for one.
  if (event.type == SDL_FINGERUP) {
    if (finger->seen)
      fingers_.erase(finger);
    else
      finger->lifted = true;
  }
}

void SdlPlatform::ReadFingers() {
  touches_.clear();
  int width = kFrameWidth, height = kFrameHeight;
  if (window_) SDL_GetWindowSize(window_, &width, &height);
  for (Finger& finger : fingers_) {
    float x = finger.x * width, y = finger.y * height;
    float frameX = x, frameY = y;
    if (renderer_)
      SDL_RenderWindowToLogical(renderer_, static_cast<int>(x), static_cast<int>(y), &frameX, &frameY);
    touches_.push_back({static_cast<int>(frameX), static_cast<int>(frameY)});
    finger.seen = true;
  }
}

void SdlPlatform::Poll() {
  if (!initialised_) return;
  std::erase_if(fingers_, [](const Finger& f) { return f.lifted; });
  keyPressedInPoll_ = false;
  typedText_.clear();
  SDL_Event event;
  while (SDL_PollEvent(&event)) HandleEvent(event);
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  keys_.fill(false);
  for (int scancode = 0; scancode < count; ++scancode) {
    if (!state[scancode]) continue;
    if (int code = ScanCodeOf(static_cast<SDL_Scancode>(scancode))) keys_[code] = true;
  }
  ReadMouse();
  ReadFingers();
  pads_ = controllers_ ? controllers_->Read() : std::vector<PadState>();
}

void SdlPlatform::ReadMouse() {
  if (!window_) return;
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  float frameX = static_cast<float>(x), frameY = static_cast<float>(y);
  // In full screen the frame is scaled and letterboxed; report frame pixels.
  if (renderer_) SDL_RenderWindowToLogical(renderer_, x, y, &frameX, &frameY);
  mouseX_ = static_cast<int>(frameX);
  mouseY_ = static_cast<int>(frameY);
  if (fullScreen_) {
    mouseX_ = std::clamp(mouseX_, 0, kFrameWidth - 1);
    mouseY_ = std::clamp(mouseY_, 0, kFrameHeight - 1);
  }
}

bool SdlPlatform::KeyDown(int scanCode) const {
  return scanCode >= 0 && scanCode < scan::kCount && keys_[scanCode];
}

bool SdlPlatform::AsyncKey(int virtualKey) { return virtualKeys_.Query(virtualKey); }

int SdlPlatform::KeyToChar(int virtualKey) {
  if (virtualKey <= 0 || virtualKey >= vk::kCount) return 0;
  int modifiers = ModifiersNow();
  SDL_Keymod mod = SDL_GetModState();
  // Ctrl or Alt combinations type nothing (AltGr is not one of them).
  if (!(modifiers & VirtualKeyboard::kAltGr) && (mod & (KMOD_CTRL | KMOD_ALT))) return 0;
  int learnt = virtualKeys_.CharFor(virtualKey, modifiers);
  if (learnt >= 0) return learnt;
  // Not typed under these modifiers yet: ask the layout for the unshifted
  // character and shift letters ourselves; other shifted keys stay unknown.
  if (modifiers & VirtualKeyboard::kAltGr) return 0;
  int scancode = scancodeOf_[virtualKey];
  if (!scancode && virtualKey >= 'A' && virtualKey <= 'Z')
    scancode = SDL_GetScancodeFromKey(SDLK_a + (virtualKey - 'A'));
  if (!scancode) return 0;
  SDL_Keycode key = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode));
  if (key < 32 || key > 255 || key == 127) return 0;
  bool letter = UpperLatin1(key) != key;
  bool shift = (modifiers & VirtualKeyboard::kShift) != 0;
  if (letter) return shift != ((modifiers & VirtualKeyboard::kCapsLock) != 0) ? UpperLatin1(key) : key;
  return shift ? 0 : key;
}

std::string SdlPlatform::ClipboardText() {
  if (!initialised_ || !SDL_HasClipboardText()) return {};
  char* text = SDL_GetClipboardText();
  if (!text) return {};
  std::string latin1 = Utf8ToLatin1(text);
  SDL_free(text);
  return latin1;
}

}  // namespace kb
