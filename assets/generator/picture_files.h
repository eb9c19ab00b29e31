#pragma once

#include <string>

#include "common/platform/core/image.h"

namespace kb::art {

// Truecolour PNG, or with a palette when every colour fits into one.
bool WritePng(const std::string& path, const Image& image, bool palette);
// Uncompressed 24-bit BMP, bottom-up rows padded to four bytes.
bool WriteBmp(const std::string& path, const Image& image);

}  // namespace kb::art
