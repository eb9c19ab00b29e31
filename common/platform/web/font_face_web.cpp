#include "common/platform/sdl/font_face.h"

namespace kb {

// The page carries one family in its files, metric-compatible with the face
// the game asks for (Liberation Sans for "Arial").
FontFace FindFontFace(const std::string&, bool bold, bool italic) {
  static const char* const kStyles[2][2] = {{"Regular", "Italic"}, {"Bold", "BoldItalic"}};
  return {std::string("/fonts/LiberationSans-") + kStyles[bold][italic] + ".ttf", {}};
}

}  // namespace kb
