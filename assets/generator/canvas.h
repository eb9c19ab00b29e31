#pragma once

#include <functional>
#include <vector>

#include "common/platform/core/image.h"

namespace kb::art {

struct Rgb3 {
  float r = 0, g = 0, b = 0;
};

inline Rgb3 Mix(Rgb3 a, Rgb3 b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb3 Scale(Rgb3 c, float k) { return {c.r * k, c.g * k, c.b * k}; }

// A colour per position, for gradients.
using Paint = std::function<Rgb3(float x, float y)>;
// Signed distance to a shape's edge in pixels: negative inside.
using Shape = std::function<float(float x, float y)>;
// Coverage 0..1 per pixel.
using Mask = std::vector<float>;

// A floating-point RGB picture that shapes are painted into with smooth,
// anti-aliased edges.
class Canvas {
 public:
  Canvas(int width, int height, Rgb3 fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb3& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // Paints the shape with the paint, its edge anti-aliased over one pixel.
  void Fill(const Shape& shape, const Paint& paint, float opacity = 1);
  // Paints through a coverage mask.
  void FillMask(const Mask& mask, const Paint& paint, float opacity = 1);
  // Adds light: colour times mask, saturating.
  void AddGlow(const Mask& mask, Rgb3 colour, float strength);

  Mask Coverage(const Shape& shape) const;
  Image ToImage() const;

 private:
  int width_;
  int height_;
  std::vector<Rgb3> pixels_;
};

Paint Solid(Rgb3 colour);
// Top-to-bottom gradient through the given stops (positions 0..1).
Paint Vertical(float top, float bottom, std::vector<std::pair<float, Rgb3>> stops);

Mask Blur(const Mask& mask, int width, int height, float sigma);

// Shapes.
Shape Circle(float cx, float cy, float r);
Shape RoundedBox(float x, float y, float w, float h, float radius);
Shape Polygon(std::vector<std::pair<float, float>> points);
Shape Capsule(float x1, float y1, float x2, float y2, float r);
Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
// The ring of the given width centred on the shape's edge.
Shape Outline(Shape shape, float width);

}  // namespace kb::art
