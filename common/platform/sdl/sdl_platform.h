#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/core/display.h"
#include "common/platform/core/input.h"
#include "common/platform/core/keys.h"
#include "common/platform/sdl/sdl_pads.h"
#include "common/platform/sdl/virtual_keyboard.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace kb {

// The client's window, full screen, keyboard, mouse and clipboard over SDL 2.
// One object owns SDL's video and event handling; use it from the main
// thread only.
class SdlPlatform final : public Display, public Input {
 public:
  SdlPlatform() = default;
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // Initialises SDL's video and events; false on failure.
  bool Init();

  // Display
  bool Open(bool fullScreen, int x, int y) override;
  void Close() override;
  void Present(const Image& frame) override;
  // Whether a frame has ever been presented; any thread may ask.
  bool PresentedOnce() const { return presentedOnce_.load(); }
  bool WindowPosition(int& x, int& y) const override;
  void DesktopSize(int& width, int& height) const override;
  int RefreshRate() const override { return refreshRate_; }
  bool HasFocus() const override;
  bool TakeCloseRequest() override;
  bool HasFullScreen() const override;

  // Input
  void Poll() override;
  bool KeyDown(int scanCode) const override;
  bool AsyncKey(int virtualKey) override;
  int MouseX() const override { return mouseX_; }
  int MouseY() const override { return mouseY_; }
  int KeyToChar(int virtualKey) override;
  std::string ClipboardText() override;
  std::vector<PadState> Pads() const override { return pads_; }
  std::string TypedText() const override { return typedText_; }
  void ShowTextKeyboard(bool shown) override;
  std::vector<TouchPoint> Touches() const override { return touches_; }

 private:
  struct Finger {
    int64_t device, id;
    float x, y;  // SDL's: 0..1 across the window
    bool seen;   // in a snapshot already
    bool lifted;
  };
  void HandleFinger(const SDL_Event& event);
  void ReadFingers();
  void HandleEvent(const SDL_Event& event);
  void ReadMouse();

  bool initialised_ = false;
  std::atomic<bool> presentedOnce_{false};
  bool fullScreen_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  int refreshRate_ = 0;
  bool closeRequested_ = false;
  std::array<bool, scan::kCount> keys_{};
  VirtualKeyboard virtualKeys_;
  // The SDL scancode behind each virtual key's latest press, for the layout's
  // character when no text was seen for it.
  std::array<int, vk::kCount> scancodeOf_{};
  int mouseX_ = 0;
  int mouseY_ = 0;
  // A key pressed in this poll's events: its text is the key's, not typed text.
  bool keyPressedInPoll_ = false;
  std::string typedText_;
  // Game controllers, when SDL has them; closed before the video goes.
  std::unique_ptr<SdlPads> controllers_;
  std::vector<PadState> pads_;
  std::vector<Finger> fingers_;
  std::vector<TouchPoint> touches_;
};

}  // namespace kb
