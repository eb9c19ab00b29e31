#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kb {

// A colour value: red in the low byte, 0x00BBGGRR (255 red, 65280 green).
using Colour = uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>((r & 255) | (g & 255) << 8 | (b & 255) << 16);
}
constexpr int RedOf(Colour c) { return c & 255; }
constexpr int GreenOf(Colour c) { return (c >> 8) & 255; }
constexpr int BlueOf(Colour c) { return (c >> 16) & 255; }

constexpr Colour kMagenta = Rgb(255, 0, 255);

// An owned pixel buffer in the game's colour values. Every frame, the trail
// field, sprites and pictures are Images; all drawing is clipped to the image,
// so callers may pass any coordinates.
class Image {
 public:
  Image() = default;
  Image(int width, int height, Colour fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_.empty(); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // 0 outside the image, like an empty field.
  Colour Pixel(int x, int y) const { return Contains(x, y) ? pixels_[Index(x, y)] : 0; }
  const Colour* Data() const { return pixels_.data(); }
  Colour* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const Colour* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }

  // In XOR mode every drawing operation combines its colour with the pixel
  // already there instead of replacing it.
  void SetXorMode(bool on) { xorMode_ = on; }
  bool XorMode() const { return xorMode_; }

  void Clear(Colour c = 0);
  void SetPixel(int x, int y, Colour c);
  void FillBox(int x, int y, int w, int h, Colour c);
  // Both end points are drawn.
  void Line(int x1, int y1, int x2, int y2, Colour c);
  // Every pixel within distance r of the centre (dx² + dy² <= r²).
  void FillCircle(int cx, int cy, int r, Colour c);

  // Copies src with its top-left corner at (x, y).
  void Draw(const Image& src, int x, int y);
  // Like Draw, leaving the target untouched where src has the key colour.
  void DrawKeyed(const Image& src, int x, int y, Colour key);
  // Mixes src over the target with opacity 0 (invisible) .. 255 (opaque).
  void DrawBlended(const Image& src, int x, int y, int opacity);
  // Mixes one colour over the target with a per-pixel coverage 0..255
  // (anti-aliased text and glyphs); coverage has w * h bytes.
  void DrawCoverage(const uint8_t* coverage, int w, int h, int x, int y, Colour c);

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  void Span(int y, int64_t x0, int64_t x1, Colour c);

  int width_ = 0;
  int height_ = 0;
  bool xorMode_ = false;
  std::vector<Colour> pixels_;
};

// Mixes b over a with opacity 0..255.
Colour MixColour(Colour a, Colour b, int opacity);

}  // namespace kb
