#include "common/platform/core/picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <tuple>
#include <vector>

namespace kb {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes EncodePng(int width, int height, png_uint_32 format, const void* pixels) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION, png.width = width, png.height = height, png.format = format;
  Bytes bytes(1 << 16);
  png_alloc_size_t size = bytes.size();
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels, 0, nullptr)) return {};
  bytes.resize(size);
  return bytes;
}

void Put(Bytes& b, size_t at, uint32_t v, int width = 4) {
  for (int i = 0; i < width; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

// A 24-bit BMP whose pixel (x, y) is Rgb(x * 40, y * 40, 200).
Bytes MakeBmp(int width, int height, bool topDown = false, bool padLastRow = true) {
  int stride = (width * 3 + 3) & ~3;
  Bytes b(54 + stride * height, 0xEE);  // padding bytes filled with junk on purpose
  std::fill(b.begin(), b.begin() + 54, 0);
  b[0] = 'B', b[1] = 'M';
  Put(b, 2, b.size()), Put(b, 10, 54), Put(b, 14, 40), Put(b, 18, width);
  Put(b, 22, topDown ? -height : height), Put(b, 26, 1, 2), Put(b, 28, 24, 2);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      size_t at = 54 + (topDown ? y : height - 1 - y) * stride + x * 3;
      b[at] = 200, b[at + 1] = y * 40, b[at + 2] = x * 40;
    }
  if (!padLastRow) b.resize(b.size() - (stride - width * 3));
  return b;
}

Image Decode(const Bytes& bytes) { return DecodePicture(bytes.data(), bytes.size()); }

TEST(DecodePicture, PngOverBlackBmpLayoutsAndBmpVariantsWeDoNotRead) {
  const uint8_t rgb[] = {255, 0, 0, 1, 2, 3};
  Image image = Decode(EncodePng(1, 2, PNG_FORMAT_RGB, rgb));
  ASSERT_TRUE(image.Width() == 1 && image.Height() == 2);
  EXPECT_TRUE(image.Pixel(0, 0) == 0x0000FFu && image.Pixel(0, 1) == Rgb(1, 2, 3));  // red in the low byte
  const uint8_t rgba[] = {200, 100, 50, 255, 200, 100, 50, 0, 200, 100, 50, 128};
  Image alpha = Decode(EncodePng(3, 1, PNG_FORMAT_RGBA, rgba));
  for (auto [x, expected] : {std::pair{0, Rgb(200, 100, 50)}, {1, Rgb(0, 0, 0)}, {2, Rgb(100, 50, 25)}})
    EXPECT_EQ(alpha.Pixel(x, 0), expected) << x;
  for (int width : {1, 4, 5}) {  // 3, 0 and 1 bytes of row padding
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(testing::Message() << "width " << width << (topDown ? " top-down" : " bottom-up"));
      Image image = Decode(MakeBmp(width, 3, topDown));
      ASSERT_TRUE(image.Width() == width && image.Height() == 3);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(image.Pixel(x, y), Rgb(x * 40, y * 40, 200));
    }
  }
  // Writers that leave off the last row's padding are still read.
  EXPECT_EQ(Decode(MakeBmp(3, 2, false, false)).Pixel(2, 1), Rgb(80, 40, 200));
  // The field's offset, value and bytes: a palette, run-length compression, a negative width, INT32_MIN rows,
  // a width far beyond the data, pixels or header past the end.
  for (auto [at, value, width] : {std::tuple<size_t, uint32_t, int>{28, 8, 2}, {30, 1, 4}, {18, 0x80000000u, 4},
                                  {22, 0x80000000u, 4}, {18, 100000, 4}, {10, 0xFFFFFFF0u, 4}, {14, 0xFFFFFFFFu, 4}}) {
    Bytes b = MakeBmp(4, 4);
    Put(b, at, value, width);
    EXPECT_TRUE(Decode(b).Empty()) << "offset " << at;
  }
}

TEST(DecodePicture, TruncatedAndCorruptedInputIsRejectedSafely) {
  std::vector<uint8_t> grey(16 * 16 * 3, 77);
  Bytes png = EncodePng(16, 16, PNG_FORMAT_RGB, grey.data()), bmp = MakeBmp(5, 4);
  ASSERT_FALSE(Decode(png).Empty());
  // The PNG's closing IEND chunk (12 bytes) carries no pixels and may go
  // missing; a BMP's last row may lack its padding (3 bytes at width 5).
  for (const auto& [whole, spare] : {std::pair{&png, 12}, {&bmp, 3}}) {
    for (size_t length = 0; length < whole->size() - spare; ++length) {
      // Copied so that the sanitizers see any read past the shortened end.
      Bytes cut(whole->begin(), whole->begin() + length);
      ASSERT_TRUE(Decode(cut).Empty()) << "length " << length;
    }
  }
  EXPECT_TRUE(DecodePicture(nullptr, 100).Empty());
  // A valid header announcing a 65536-pixel-wide picture is refused before anything is allocated for it.
  png[16] = 0, png[17] = 1, png[18] = 0, png[19] = 0;
  EXPECT_TRUE(Decode(png).Empty());
}

}  // namespace
}  // namespace kb
