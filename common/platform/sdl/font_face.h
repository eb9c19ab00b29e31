#pragma once

#include <string>
#include <vector>

namespace kb {

// Where the installed face that best matches a family and style lives: a
// file (found through fontconfig) or its bytes (read through GDI on Windows).
// Both empty when no face can be had.
struct FontFace {
  std::string file;
  std::vector<unsigned char> bytes;
};

FontFace FindFontFace(const std::string& family, bool bold, bool italic);

}  // namespace kb
