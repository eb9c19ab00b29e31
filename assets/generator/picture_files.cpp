#include "assets/generator/picture_files.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace kb::art {

bool WritePng(const std::string& path, const Image& image, bool palette) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = image.Width();
  png.height = image.Height();
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> colormap;
  if (palette) {
    std::map<Colour, int> index;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) index.emplace(image.Pixel(x, y), 0);
    if (index.size() > 256) return false;
    for (auto& [colour, i] : index) {
      i = static_cast<int>(colormap.size() / 3);
      colormap.insert(colormap.end(),
                      {static_cast<uint8_t>(RedOf(colour)), static_cast<uint8_t>(GreenOf(colour)),
                       static_cast<uint8_t>(BlueOf(colour))});
    }
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        pixels.push_back(static_cast<uint8_t>(index[image.Pixel(x, y)]));
    png.format = PNG_FORMAT_RGB_COLORMAP;
    png.colormap_entries = static_cast<png_uint_32>(index.size());
  } else {
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) {
        Colour c = image.Pixel(x, y);
        pixels.insert(pixels.end(), {static_cast<uint8_t>(RedOf(c)), static_cast<uint8_t>(GreenOf(c)),
                                     static_cast<uint8_t>(BlueOf(c))});
      }
    png.format = PNG_FORMAT_RGB;
  }
  return png_image_write_to_file(&png, path.c_str(), 0, pixels.data(), 0,
                                 palette ? colormap.data() : nullptr) != 0;
}

bool WriteBmp(const std::string& path, const Image& image) {
  int w = image.Width(), h = image.Height();
  int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> bytes(54 + static_cast<size_t>(stride) * h, 0);
  auto put16 = [&](size_t at, uint32_t v) { bytes[at] = v & 255, bytes[at + 1] = (v >> 8) & 255; };
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = (v >> (8 * i)) & 255;
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  put16(26, 1);
  put16(28, 24);
  put32(34, static_cast<uint32_t>(stride * h));
  put32(38, 2835);  // 72 dpi
  put32(42, 2835);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bytes.data() + 54 + static_cast<size_t>(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      Colour c = image.Pixel(x, y);
      row[x * 3] = BlueOf(c), row[x * 3 + 1] = GreenOf(c), row[x * 3 + 2] = RedOf(c);
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace kb::art
