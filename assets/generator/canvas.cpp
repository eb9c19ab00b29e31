#include "assets/generator/canvas.h"

#include <algorithm>
#include <cmath>

namespace kb::art {

namespace {
int ToByte(float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 255.0f))); }
}  // namespace

Canvas::Canvas(int width, int height, Rgb3 fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

Mask Canvas::Coverage(const Shape& shape) const {
  Mask mask(pixels_.size());
  // 4 x 4 samples per pixel for corners and thin strokes, where a single
  // distance sample would be off.
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float sum = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          float d = shape(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
          sum += std::clamp(0.5f - d * 4, 0.0f, 1.0f);
        }
      mask[static_cast<size_t>(y) * width_ + x] = sum / 16;
    }
  return mask;
}

void Canvas::FillMask(const Mask& mask, const Paint& paint, float opacity) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float a = mask[static_cast<size_t>(y) * width_ + x] * opacity;
      if (a <= 0) continue;
      Rgb3& p = At(x, y);
      p = Mix(p, paint(x + 0.5f, y + 0.5f), std::min(a, 1.0f));
    }
}

void Canvas::Fill(const Shape& shape, const Paint& paint, float opacity) {
  FillMask(Coverage(shape), paint, opacity);
}

void Canvas::AddGlow(const Mask& mask, Rgb3 colour, float strength) {
  for (size_t i = 0; i < pixels_.size(); ++i) {
    float a = mask[i] * strength;
    Rgb3& p = pixels_[i];
    // Screen blend: light adds up but never overshoots white.
    p.r = 255 - (255 - p.r) * (1 - std::min(1.0f, colour.r / 255 * a));
    p.g = 255 - (255 - p.g) * (1 - std::min(1.0f, colour.g / 255 * a));
    p.b = 255 - (255 - p.b) * (1 - std::min(1.0f, colour.b / 255 * a));
  }
}

Image Canvas::ToImage() const {
  Image image(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const Rgb3& p = pixels_[static_cast<size_t>(y) * width_ + x];
      image.SetPixel(x, y, Rgb(ToByte(p.r), ToByte(p.g), ToByte(p.b)));
    }
  return image;
}

Paint Solid(Rgb3 colour) {
  return [colour](float, float) { return colour; };
}

Paint Vertical(float top, float bottom, std::vector<std::pair<float, Rgb3>> stops) {
  return [=](float, float y) {
    float t = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
    if (t <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i)
      if (t <= stops[i].first) {
        float span = stops[i].first - stops[i - 1].first;
        return Mix(stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1);
      }
    return stops.back().second;
  };
}

Mask Blur(const Mask& mask, int width, int height, float sigma) {
  int radius = static_cast<int>(std::ceil(sigma * 3));
  std::vector<float> kernel(2 * radius + 1);
  float total = 0;
  for (int i = -radius; i <= radius; ++i)
    total += kernel[i + radius] = std::exp(-i * i / (2 * sigma * sigma));
  for (float& k : kernel) k /= total;
  Mask across(mask.size()), result(mask.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float sum = 0;
      for (int i = -radius; i <= radius; ++i) {
        int sx = x + i;
        if (sx >= 0 && sx < width) sum += mask[static_cast<size_t>(y) * width + sx] * kernel[i + radius];
      }
      across[static_cast<size_t>(y) * width + x] = sum;
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float sum = 0;
      for (int i = -radius; i <= radius; ++i) {
        int sy = y + i;
        if (sy >= 0 && sy < height) sum += across[static_cast<size_t>(sy) * width + x] * kernel[i + radius];
      }
      result[static_cast<size_t>(y) * width + x] = sum;
    }
  return result;
}

Shape Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape RoundedBox(float x, float y, float w, float h, float radius) {
  float cx = x + w / 2, cy = y + h / 2, hx = w / 2 - radius, hy = h / 2 - radius;
  return [=](float px, float py) {
    float dx = std::abs(px - cx) - hx, dy = std::abs(py - cy) - hy;
    float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
    return outside + std::min(std::max(dx, dy), 0.0f) - radius;
  };
}

Shape Polygon(std::vector<std::pair<float, float>> points) {
  return [points](float x, float y) {
    float best = 1e9f;
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      auto [xi, yi] = points[i];
      auto [xj, yj] = points[j];
      float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
      float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
      best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside ? -best : best;
  };
}

Shape Capsule(float x1, float y1, float x2, float y2, float r) {
  return [=](float x, float y) {
    float ex = x2 - x1, ey = y2 - y1, wx = x - x1, wy = y - y1;
    float length = ex * ex + ey * ey;
    float t = length > 0 ? std::clamp((wx * ex + wy * ey) / length, 0.0f, 1.0f) : 0;
    return std::hypot(wx - ex * t, wy - ey * t) - r;
  };
}

Shape Union(Shape a, Shape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Shape Subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Shape Intersect(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Shape Outline(Shape shape, float width) {
  return [=](float x, float y) { return std::abs(shape(x, y)) - width / 2; };
}

}  // namespace kb::art
