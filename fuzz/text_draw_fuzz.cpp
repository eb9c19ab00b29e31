// kb-fuzz-libs: kb_client
// Draws text objects with arbitrary coordinates and texts onto a frame, as the console's "text" command lets
// a script place them, plus the Image operations with the same coordinates. Input: x, y (4 bytes each, little
// endian), one byte choosing font and mode, then the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "client/ui/put_text.h"
#include "common/platform/core/image.h"
#include "common/platform/sdl/font.h"

namespace {

// A small screen and modest sizes: clipping and rendering are what is
// fuzzed, and per-pixel work only slows the runs down.
struct Fonts {
  kb::Font normal, large;
  Fonts() {
    if (!normal.Load("Arial", 11, false, false) || !large.Load("Arial", 24, true, true)) std::abort();
  }
};

int32_t Int(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  static Fonts* fonts = new Fonts;
  static kb::Image screen(160, 120);
  int x = Int(data), y = Int(data + 4);
  uint8_t mode = data[8];
  std::string text(reinterpret_cast<const char*>(data) + 9, size - 9);
  kb::Font& font = mode & 1 ? fonts->large : fonts->normal;
  screen.SetXorMode(mode & 2);
  if (mode & 4)
    kb::PutOutlinedText(screen, font, x, y, text, 0xFFFFFF, 0x0000FF, (mode >> 4) & 3);
  else
    kb::PutText(screen, font, x, y, text, 0x00FF00);
  screen.FillBox(x, y, y, x, 0x123456);
  screen.Line(x, y, y, x, 0x654321);
  screen.Line(x, y, 80, 60, 0x654321);
  screen.FillCircle(x, y, mode & 8 ? y : mode, 0xABCDEF);
  screen.FillCircle(x % 1000, y % 1000, mode & 8 ? y & 0xFFF : mode, 0xABCDEF);
  static const kb::Image sprite(30, 20, 0x112233);
  screen.Draw(sprite, x, y);
  screen.DrawKeyed(sprite, y, x, 0);
  screen.DrawBlended(sprite, x, y, mode);
  screen.SetXorMode(false);
  if (font.TextWidth(text) < 0) std::abort();
  return 0;
}
