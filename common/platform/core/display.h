#pragma once

#include "common/platform/core/image.h"

namespace kb {

// The client's screen: window 1 with an 800 x 600 client area, or the desktop
// full screen with the frame scaled. The SDL implementation lives in
// common/platform/sdl; tests use a fake that counts presented frames.
class Display {
 public:
  virtual ~Display() = default;

  // Opens the window at (x, y) on the desktop, or the full screen; false
  // when it cannot be opened.
  virtual bool Open(bool fullScreen, int x, int y) = 0;
  virtual void Close() = 0;
  // Shows a finished 800 x 600 frame.
  virtual void Present(const Image& frame) = 0;
  // The window's current top-left desktop position; false in full screen.
  virtual bool WindowPosition(int& x, int& y) const = 0;
  // Primary desktop size, for centring the default window position.
  virtual void DesktopSize(int& width, int& height) const = 0;
  // The refresh rate in Hz of the display the window is on; 0 when it cannot
  // be told.
  virtual int RefreshRate() const { return 0; }
  // Whether the window or full screen has the input focus.
  virtual bool HasFocus() const = 0;
  // Takes at most one pending window event; true when it was the close request.
  virtual bool TakeCloseRequest() = 0;
  // False where the game cannot switch to a full screen of its own (a
  // browser page has only the browser's).
  virtual bool HasFullScreen() const { return true; }
  // Whether a text field takes typing: a browser page brings up a phone's
  // on-screen keyboard for it. Nothing elsewhere.
  virtual void ShowTextKeyboard(bool /*shown*/) {}
};

}  // namespace kb
