#pragma once

#include <cstddef>
#include <cstdint>

#include "common/platform/core/image.h"

namespace kb {

// Decodes a picture held in memory: PNG (any colour type; transparent pixels
// are laid over black) or an uncompressed 24-bit BMP (bottom-up or top-down).
// Anything else, truncated data or absurd sizes give an empty Image.
Image DecodePicture(const uint8_t* data, size_t size);

}  // namespace kb
