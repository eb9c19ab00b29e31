#include "common/platform/core/picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace kb {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes EncodePng(int width, int height, png_uint_32 format, const void* pixels, const void* colormap = nullptr,
                int colormapEntries = 0) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = width;
  png.height = height;
  png.format = format;
  png.colormap_entries = colormapEntries;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, pixels, 0, colormap)) return {};
  Bytes bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels, 0, colormap)) return {};
  bytes.resize(size);
  return bytes;
}

void Put16(Bytes& b, size_t at, uint32_t v) { b[at] = v & 255, b[at + 1] = (v >> 8) & 255; }
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

// A 24-bit BMP whose pixel (x, y) is Rgb(x * 40, y * 40, 200).
Bytes MakeBmp(int width, int height, bool topDown, bool padLastRow = true) {
  int stride = (width * 3 + 3) & ~3;
  Bytes b(54 + stride * height, 0xEE);  // padding bytes filled with junk on purpose
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, b.size());
  Put32(b, 6, 0);
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, width);
  Put32(b, 22, topDown ? -height : height);
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  Put32(b, 30, 0);
  Put32(b, 34, 0);
  for (int i = 38; i < 54; ++i) b[i] = 0;
  for (int y = 0; y < height; ++y) {
    int fileRow = topDown ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) {
      size_t at = 54 + fileRow * stride + x * 3;
      b[at] = 200, b[at + 1] = y * 40, b[at + 2] = x * 40;
    }
  }
  if (!padLastRow) b.resize(b.size() - (stride - width * 3));
  return b;
}

Image Decode(const Bytes& bytes) { return DecodePicture(bytes.data(), bytes.size()); }

TEST(DecodePicture, TruecolourPngKeepsEveryChannelInPlace) {
  const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 250, 251, 252, 9, 8, 7};
  Image image = Decode(EncodePng(3, 2, PNG_FORMAT_RGB, rgb));
  ASSERT_EQ(image.Width(), 3);
  ASSERT_EQ(image.Height(), 2);
  EXPECT_EQ(image.Pixel(0, 0), 0x0000FFu);  // red in the low byte
  EXPECT_EQ(image.Pixel(1, 0), 0x00FF00u);
  EXPECT_EQ(image.Pixel(2, 0), 0xFF0000u);
  EXPECT_EQ(image.Pixel(0, 1), Rgb(1, 2, 3));
  EXPECT_EQ(image.Pixel(1, 1), Rgb(250, 251, 252));
  EXPECT_EQ(image.Pixel(2, 1), Rgb(9, 8, 7));
}

TEST(DecodePicture, PalettePngAndAlphaOverBlack) {
  const uint8_t colormap[] = {255, 255, 255, 128, 128, 128, 20, 20, 20};
  const uint8_t indices[] = {0, 1, 2, 2, 1, 0};
  Image palette = Decode(EncodePng(3, 2, PNG_FORMAT_RGB_COLORMAP, indices, colormap, 3));
  ASSERT_EQ(palette.Width(), 3);
  EXPECT_EQ(palette.Pixel(0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(palette.Pixel(1, 0), Rgb(128, 128, 128));
  EXPECT_EQ(palette.Pixel(0, 1), Rgb(20, 20, 20));

  const uint8_t rgba[] = {200, 100, 50, 255, 200, 100, 50, 0, 200, 100, 50, 128};
  Image alpha = Decode(EncodePng(3, 1, PNG_FORMAT_RGBA, rgba));
  ASSERT_EQ(alpha.Width(), 3);
  EXPECT_EQ(alpha.Pixel(0, 0), Rgb(200, 100, 50));
  EXPECT_EQ(alpha.Pixel(1, 0), 0u);
  EXPECT_EQ(alpha.Pixel(2, 0), Rgb(100, 50, 25));
}

TEST(DecodePicture, BmpBottomUpTopDownAndRowPadding) {
  // Width 3 needs 3 bytes of padding per row, width 4 none.
  for (int width : {1, 3, 4, 5}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(testing::Message() << "width " << width << (topDown ? " top-down" : " bottom-up"));
      Image image = Decode(MakeBmp(width, 3, topDown));
      ASSERT_EQ(image.Width(), width);
      ASSERT_EQ(image.Height(), 3);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(image.Pixel(x, y), Rgb(x * 40, y * 40, 200));
    }
  }
  // Writers that leave off the last row's padding are still read.
  EXPECT_EQ(Decode(MakeBmp(3, 2, false, false)).Pixel(2, 1), Rgb(80, 40, 200));
}

TEST(DecodePicture, BmpVariantsWeDoNotReadAreRejected) {
  auto withField = [](size_t at, uint32_t value, bool wide) {
    Bytes b = MakeBmp(4, 4, false);
    wide ? Put32(b, at, value) : Put16(b, at, value);
    return b;
  };
  EXPECT_TRUE(Decode(withField(28, 32, false)).Empty());          // 32 bits per pixel
  EXPECT_TRUE(Decode(withField(28, 8, false)).Empty());           // palette
  EXPECT_TRUE(Decode(withField(30, 1, true)).Empty());            // run-length compressed
  EXPECT_TRUE(Decode(withField(26, 2, false)).Empty());           // planes
  EXPECT_TRUE(Decode(withField(18, 0, true)).Empty());            // zero width
  EXPECT_TRUE(Decode(withField(18, 0x80000000u, true)).Empty());  // negative width
  EXPECT_TRUE(Decode(withField(22, 0x80000000u, true)).Empty());  // INT32_MIN height
  EXPECT_TRUE(Decode(withField(18, 100000, true)).Empty());       // far beyond the data
  EXPECT_TRUE(Decode(withField(10, 0xFFFFFFF0u, true)).Empty());  // pixel offset past the end
  EXPECT_TRUE(Decode(withField(10, 20, true)).Empty());           // pixels inside the header
  EXPECT_TRUE(Decode(withField(14, 0xFFFFFFFFu, true)).Empty());  // header size past the end
}

TEST(DecodePicture, EveryTruncationIsRejectedSafely) {
  const uint8_t rgb[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  Bytes png = EncodePng(2, 2, PNG_FORMAT_RGB, rgb);
  ASSERT_FALSE(Decode(png).Empty());
  Bytes bmp = MakeBmp(5, 4, false);
  // The PNG's closing IEND chunk (12 bytes) carries no pixels and may go
  // missing; a BMP's last row may lack its padding (3 bytes at width 5).
  for (const Bytes* whole : {&png, &bmp}) {
    for (size_t length = 0; length < whole->size() - (whole == &bmp ? 3 : 12); ++length) {
      // Copied so that the sanitizers see any read past the shortened end.
      Bytes cut(whole->begin(), whole->begin() + length);
      ASSERT_TRUE(DecodePicture(cut.data(), cut.size()).Empty()) << "length " << length;
    }
  }
  EXPECT_TRUE(DecodePicture(nullptr, 100).Empty());
}

TEST(DecodePicture, GarbageAndCorruptedPngAreRejected) {
  Bytes garbage(4096);
  uint32_t state = 12345;
  for (auto& byte : garbage) byte = (state = state * 1103515245 + 12345) >> 16;
  EXPECT_TRUE(Decode(garbage).Empty());
  garbage[0] = 'B', garbage[1] = 'M';
  EXPECT_TRUE(Decode(garbage).Empty());

  std::vector<uint8_t> rgb(16 * 16 * 3, 77);
  Bytes png = EncodePng(16, 16, PNG_FORMAT_RGB, rgb.data());
  // Flipping any one byte after the signature breaks a CRC or the stream;
  // whatever libpng makes of it, it must not crash or misreport the size.
  for (size_t at = 8; at < png.size(); ++at) {
    Bytes bent = png;
    bent[at] ^= 0x5A;
    Image image = Decode(bent);
    if (!image.Empty()) {
      EXPECT_EQ(image.Width(), 16);
      EXPECT_EQ(image.Height(), 16);
    }
  }
  // A valid header that announces an enormous picture is refused before
  // anything is allocated for it.
  Bytes huge = png;
  Put32(huge, 16, 0);
  huge[16] = 0, huge[17] = 1, huge[18] = 0, huge[19] = 0;  // width 65536, big-endian
  EXPECT_TRUE(Decode(huge).Empty());
}

}  // namespace
}  // namespace kb
