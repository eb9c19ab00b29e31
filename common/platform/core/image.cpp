#include "common/platform/core/image.h"

#include <algorithm>
#include <cstdlib>

namespace kb {

Image::Image(int width, int height, Colour fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

// Every channel is (from * (255 - o) + to * o + 127) / 255, red and blue side by
// side in one word and the division by 255 done with shifts: this runs for
// every pixel of anti-aliased text and blended sprites.
Colour MixColour(Colour a, Colour b, int opacity) {
  uint32_t o = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
  uint32_t keep = 255 - o;
  uint32_t rb = (a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * o + 0x800080u;
  rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
  uint32_t g = (a & 0x00FF00u) * keep + (b & 0x00FF00u) * o + 0x008000u;
  g = ((g + ((g >> 8) & 0x00FF00u)) >> 8) & 0x00FF00u;
  return rb | g;
}

void Image::Clear(Colour c) {
  std::fill(pixels_.begin(), pixels_.end(), c);
}

void Image::Span(int y, int x0, int x1, Colour c) {
  if (y < 0 || y >= height_) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, width_ - 1);
  if (x0 > x1) return;
  Colour* row = Row(y);
  if (xorMode_) {
    for (int x = x0; x <= x1; ++x) row[x] ^= c;
  } else {
    std::fill(row + x0, row + x1 + 1, c);
  }
}

void Image::SetPixel(int x, int y, Colour c) {
  if (!Contains(x, y)) return;
  Colour& p = pixels_[Index(x, y)];
  p = xorMode_ ? p ^ c : c;
}

void Image::FillBox(int x, int y, int w, int h, Colour c) {
  if (w <= 0 || h <= 0) return;
  int y0 = std::max(y, 0);
  int y1 = std::min(y + h, height_);
  for (int row = y0; row < y1; ++row) Span(row, x, x + w - 1, c);
}

void Image::Line(int x1, int y1, int x2, int y2, Colour c) {
  int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
  int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    SetPixel(x1, y1, c);
    if (x1 == x2 && y1 == y2) break;
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x1 += sx; }
    if (e2 <= dx) { err += dx; y1 += sy; }
  }
}

void Image::FillCircle(int cx, int cy, int r, Colour c) {
  if (r < 0) return;
  for (int dy = -r; dy <= r; ++dy) {
    int y = cy + dy;
    if (y < 0 || y >= height_) continue;
    int half = 0;
    while ((half + 1) * (half + 1) + dy * dy <= r * r) ++half;
    Span(y, cx - half, cx + half, c);
  }
}

namespace {

// The part of a w x h source at (x, y) that lies inside a target; src offsets
// and the visible size.
struct Clip {
  int sx, sy, tx, ty, w, h;
};

bool ClipTo(int srcW, int srcH, int x, int y, int dstW, int dstH, Clip& clip) {
  clip.sx = std::max(0, -x);
  clip.sy = std::max(0, -y);
  clip.tx = x + clip.sx;
  clip.ty = y + clip.sy;
  clip.w = std::min(srcW - clip.sx, dstW - clip.tx);
  clip.h = std::min(srcH - clip.sy, dstH - clip.ty);
  return clip.w > 0 && clip.h > 0;
}

}  // namespace

void Image::Draw(const Image& src, int x, int y) {
  Clip c;
  if (!ClipTo(src.width_, src.height_, x, y, width_, height_, c)) return;
  for (int row = 0; row < c.h; ++row) {
    const Colour* from = src.Row(c.sy + row) + c.sx;
    Colour* to = Row(c.ty + row) + c.tx;
    if (xorMode_) {
      for (int i = 0; i < c.w; ++i) to[i] ^= from[i];
    } else {
      std::copy(from, from + c.w, to);
    }
  }
}

void Image::DrawKeyed(const Image& src, int x, int y, Colour key) {
  Clip c;
  if (!ClipTo(src.width_, src.height_, x, y, width_, height_, c)) return;
  for (int row = 0; row < c.h; ++row) {
    const Colour* from = src.Row(c.sy + row) + c.sx;
    Colour* to = Row(c.ty + row) + c.tx;
    for (int i = 0; i < c.w; ++i) {
      if (from[i] != key) to[i] = xorMode_ ? to[i] ^ from[i] : from[i];
    }
  }
}

void Image::DrawBlended(const Image& src, int x, int y, int opacity) {
  if (opacity <= 0) return;
  if (opacity >= 255) return Draw(src, x, y);
  Clip c;
  if (!ClipTo(src.width_, src.height_, x, y, width_, height_, c)) return;
  for (int row = 0; row < c.h; ++row) {
    const Colour* from = src.Row(c.sy + row) + c.sx;
    Colour* to = Row(c.ty + row) + c.tx;
    for (int i = 0; i < c.w; ++i) to[i] = MixColour(to[i], from[i], opacity);
  }
}

void Image::DrawCoverage(const uint8_t* coverage, int w, int h, int x, int y, Colour colour) {
  Clip c;
  if (!ClipTo(w, h, x, y, width_, height_, c)) return;
  for (int row = 0; row < c.h; ++row) {
    const uint8_t* from = coverage + static_cast<size_t>(c.sy + row) * w + c.sx;
    Colour* to = Row(c.ty + row) + c.tx;
    for (int i = 0; i < c.w; ++i) {
      int a = from[i];
      if (a == 0) continue;
      if (xorMode_) {
        if (a >= 128) to[i] ^= colour;
      } else {
        to[i] = a == 255 ? colour : MixColour(to[i], colour, a);
      }
    }
  }
}

}  // namespace kb
