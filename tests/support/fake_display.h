#pragma once

#include <vector>

#include "common/platform/core/display.h"

namespace kb {

// A display that keeps the last presented frame and counts frames, at a refresh rate the test sets.
class FakeDisplay final : public Display {
 public:
  bool Open(bool fullScreen, int x, int y) override {
    if (failOpen) return false;
    open = true;
    this->fullScreen = fullScreen;
    windowX = x, windowY = y;
    ++opens;
    return true;
  }
  void Close() override { open = false; }
  void Present(const Image& frame) override {
    lastFrame = frame;
    ++presented;
  }
  bool WindowPosition(int& x, int& y) const override {
    if (fullScreen) return false;
    x = windowX, y = windowY;
    return true;
  }
  void DesktopSize(int& width, int& height) const override { width = 1920, height = 1080; }
  int RefreshRate() const override { return refreshRate; }
  bool HasFocus() const override { return focus; }
  void ShowTextKeyboard(bool shown) override { textKeyboard = shown ? 1 : 0; }
  bool TakeCloseRequest() override {
    bool request = closeRequested;
    closeRequested = false;
    return request;
  }

  bool open = false;
  bool fullScreen = false;
  bool focus = true;
  bool failOpen = false;
  bool closeRequested = false;
  int windowX = 0, windowY = 0;
  int opens = 0;
  int presented = 0;
  int refreshRate = 0;
  int textKeyboard = -1;  // as last told; -1: never
  Image lastFrame;
};

}  // namespace kb
