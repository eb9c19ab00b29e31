#include "common/platform/core/picture.h"

#include <png.h>

#include <cstring>

namespace kb {

namespace {

// Larger than anything the game carries; keeps a forged header from asking
// for gigabytes.
constexpr uint32_t kMaxSide = 4096;

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

Image DecodePng(const uint8_t* data, size_t size) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data, size)) return {};
  if (png.width == 0 || png.height == 0 || png.width > kMaxSide || png.height > kMaxSide) {
    png_image_free(&png);
    return {};
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&png);
    return {};
  }
  Image image(static_cast<int>(png.width), static_cast<int>(png.height));
  const uint8_t* p = rgba.data();
  for (int y = 0; y < image.Height(); ++y) {
    Colour* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x, p += 4) {
      int a = p[3];
      row[x] = Rgb((p[0] * a + 127) / 255, (p[1] * a + 127) / 255, (p[2] * a + 127) / 255);
    }
  }
  return image;
}

Image DecodeBmp(const uint8_t* data, size_t size) {
  constexpr size_t kFileHeader = 14;
  if (size < kFileHeader + 40) return {};
  uint32_t pixelOffset = Le32(data + 10);
  uint32_t infoSize = Le32(data + 14);
  if (infoSize < 40 || kFileHeader + infoSize > size) return {};
  const uint8_t* info = data + kFileHeader;
  int32_t width = static_cast<int32_t>(Le32(info + 4));
  int32_t height = static_cast<int32_t>(Le32(info + 8));
  uint32_t planes = Le16(info + 12);
  uint32_t bits = Le16(info + 14);
  uint32_t compression = Le32(info + 16);
  if (planes != 1 || bits != 24 || compression != 0) return {};
  bool topDown = height < 0;
  // Widened before negating: -INT32_MIN does not fit.
  int64_t rows = topDown ? -static_cast<int64_t>(height) : height;
  if (width <= 0 || rows <= 0 || width > static_cast<int64_t>(kMaxSide) || rows > kMaxSide) return {};
  uint64_t rowBytes = static_cast<uint64_t>(width) * 3;
  uint64_t stride = (rowBytes + 3) & ~uint64_t{3};
  // The last row's padding may be missing; its pixels may not.
  if (pixelOffset < kFileHeader + infoSize || pixelOffset + stride * (rows - 1) + rowBytes > size) return {};
  Image image(width, static_cast<int>(rows));
  for (int64_t fileRow = 0; fileRow < rows; ++fileRow) {
    const uint8_t* p = data + pixelOffset + stride * fileRow;
    Colour* row = image.Row(static_cast<int>(topDown ? fileRow : rows - 1 - fileRow));
    for (int x = 0; x < width; ++x, p += 3) row[x] = Rgb(p[2], p[1], p[0]);
  }
  return image;
}

}  // namespace

Image DecodePicture(const uint8_t* data, size_t size) {
  if (!data) return {};
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return DecodePng(data, size);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size);
  return {};
}

}  // namespace kb
