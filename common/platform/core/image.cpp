#include "common/platform/core/image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kb {

Image::Image(int width, int height, Colour fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
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

void Image::Clear(Colour c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void Image::Span(int y, int64_t from, int64_t to, Colour c) {
  if (y < 0 || y >= height_) return;
  int x0 = static_cast<int>(std::max<int64_t>(from, 0));
  int x1 = static_cast<int>(std::min<int64_t>(to, width_ - 1));
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

// Sums of two ints are done in 64 bits throughout: callers may pass any int.
void Image::FillBox(int x, int y, int w, int h, Colour c) {
  if (w <= 0 || h <= 0) return;
  int64_t y0 = std::max<int64_t>(y, 0);
  int64_t y1 = std::min<int64_t>(int64_t{y} + h, height_);
  for (int64_t row = y0; row < y1; ++row) Span(static_cast<int>(row), x, int64_t{x} + w - 1, c);
}

namespace {

// Cuts the segment to the box [lo, hi] in both axes (Liang-Barsky); false when
// it misses the box.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double loX, double loY, double hiX,
                 double hiY) {
  double t0 = 0, t1 = 1, dx = x2 - x1, dy = y2 - y1;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!edge(-dx, x1 - loX) || !edge(dx, hiX - x1) || !edge(-dy, y1 - loY) || !edge(dy, hiY - y1))
    return false;
  double sx = x1, sy = y1;
  x1 = sx + t0 * dx, y1 = sy + t0 * dy;
  x2 = sx + t1 * dx, y2 = sy + t1 * dy;
  return true;
}

}  // namespace

void Image::Line(int fromX, int fromY, int toX, int toY, Colour c) {
  int64_t x1 = fromX, y1 = fromY, x2 = toX, y2 = toY;
  if (std::max(x1, x2) < 0 || std::min(x1, x2) >= width_ || std::max(y1, y2) < 0 ||
      std::min(y1, y2) >= height_)
    return;
  // Far-reaching lines would take billions of steps: they are cut to a box
  // just round the image first (the pixels may then differ by one from the
  // uncut line's, which nobody can tell at such a slope).
  constexpr int64_t kFar = 1 << 16;
  auto far = [&](int64_t v, int64_t size) { return v < -kFar || v > size + kFar; };
  if (far(x1, width_) || far(x2, width_) || far(y1, height_) || far(y2, height_)) {
    double ax = static_cast<double>(x1), ay = static_cast<double>(y1);
    double bx = static_cast<double>(x2), by = static_cast<double>(y2);
    if (!ClipSegment(ax, ay, bx, by, -2, -2, width_ + 1, height_ + 1)) return;
    x1 = std::llround(ax), y1 = std::llround(ay), x2 = std::llround(bx), y2 = std::llround(by);
  }
  int64_t dx = x2 > x1 ? x2 - x1 : x1 - x2, sx = x1 < x2 ? 1 : -1;
  int64_t dy = -(y2 > y1 ? y2 - y1 : y1 - y2), sy = y1 < y2 ? 1 : -1;
  int64_t err = dx + dy;
  bool entered = false;
  for (;;) {
    bool inside = x1 >= 0 && y1 >= 0 && x1 < width_ && y1 < height_;
    if (inside) SetPixel(static_cast<int>(x1), static_cast<int>(y1), c);
    // Once the line has left the image it never comes back.
    if (entered && !inside) break;
    entered = entered || inside;
    if (x1 == x2 && y1 == y2) break;
    int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x1 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y1 += sy;
    }
  }
}

void Image::FillCircle(int cx, int cy, int r, Colour c) {
  if (r < 0) return;
  int64_t r2 = int64_t{r} * r;
  int64_t top = std::max<int64_t>(int64_t{cy} - r, 0);
  int64_t bottom = std::min<int64_t>(int64_t{cy} + r, height_ - 1);
  for (int64_t y = top; y <= bottom; ++y) {
    int64_t dy = y - cy;
    int64_t half = static_cast<int64_t>(std::sqrt(static_cast<double>(r2 - dy * dy)));
    while ((half + 1) * (half + 1) + dy * dy <= r2) ++half;
    while (half > 0 && half * half + dy * dy > r2) --half;
    Span(static_cast<int>(y), int64_t{cx} - half, int64_t{cx} + half, c);
  }
}

namespace {

// The part of a w x h source at (x, y) that lies inside a target; src offsets
// and the visible size.
struct Clip {
  int sx, sy, tx, ty, w, h;
};

bool ClipTo(int srcW, int srcH, int x, int y, int dstW, int dstH, Clip& clip) {
  // In 64 bits: -x overflows for the smallest int.
  int64_t sx = std::max<int64_t>(0, -int64_t{x});
  int64_t sy = std::max<int64_t>(0, -int64_t{y});
  int64_t tx = x + sx, ty = y + sy;
  int64_t w = std::min<int64_t>(srcW - sx, dstW - tx);
  int64_t h = std::min<int64_t>(srcH - sy, dstH - ty);
  if (w <= 0 || h <= 0) return false;
  clip = {static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(tx),
          static_cast<int>(ty), static_cast<int>(w),  static_cast<int>(h)};
  return true;
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
