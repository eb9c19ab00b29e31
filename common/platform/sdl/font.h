#pragma once

#include <memory>
#include <string>

#include "common/platform/core/image.h"

namespace kb {

// A font face rendered through SDL2_ttf. The face is found by name through
// fontconfig ("Arial" resolves to a metric-compatible face); sizes are points
// at 96 dpi. Text is Latin-1. Rendered strings are cached, so drawing the same
// text every frame does not rasterise it again. Works without a display.
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

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kb
