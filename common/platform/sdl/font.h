#pragma once

#include <memory>
#include <string>

#include "common/platform/core/image.h"

namespace kb {

// A font face rendered through SDL2_ttf. The face is found by name through
// fontconfig, or GDI on Windows ("Arial" resolves to a metric-compatible face); sizes are points
// at 96 dpi. Text is Latin-1. Only the part of a text that can show on the target is
// rendered; rendered strings are cached (bounded in bytes), so drawing the
// same text every frame does not rasterise it again. Works without a display.
class Font {
 public:
  Font();
  ~Font();
  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;

  bool Load(const std::string& face, int points, bool bold, bool italic);
  bool Loaded() const;

  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);

  // Draws with the top-left corner at (x, y) on a transparent background;
  // in the target's XOR mode the text's pixels are XOR-combined.
  void Draw(Image& target, int x, int y, const std::string& text, Colour colour);
  // Fills the text's cell with the back colour first.
  void DrawOpaque(Image& target, int x, int y, const std::string& text, Colour colour, Colour back);

  // Bytes held by the cache of rendered strings.
  size_t CacheBytes() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kb
