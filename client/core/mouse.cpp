#include "client/core/mouse.h"

#include "client/core/client.h"

namespace kb {

bool MouseInButton(const Client& client, int x, int y) {
  int mx = client.frame.mouseX, my = client.frame.mouseY;
  return mx > x && mx < x + 170 && my > y && my < y + 42;
}

bool MouseInRect(const Client& client, int x, int y, int w, int h) {
  int mx = client.frame.mouseX, my = client.frame.mouseY;
  return mx >= x && mx <= x + w && my >= y && my <= y + h;
}

}  // namespace kb
