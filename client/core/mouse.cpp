#include "client/core/mouse.h"

#include "client/core/model.h"

namespace kb {

bool MouseInButton(const FrameState& frame, int x, int y) {
  int mx = frame.mouseX, my = frame.mouseY;
  return mx > x && mx < x + 170 && my > y && my < y + 42;
}

bool ButtonHeld(const FrameState& frame, int x, int y) {
  return frame.leftButton && MouseInButton(frame, x, y);
}

bool MouseInRect(const FrameState& frame, int x, int y, int w, int h) {
  int mx = frame.mouseX, my = frame.mouseY;
  return mx >= x && mx <= x + w && my >= y && my <= y + h;
}

}  // namespace kb
