#include "common/platform/sdl/font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/platform/sdl/font_face.h"

namespace kb {

namespace {

bool InitTtf() {
  static bool ok = TTF_Init() == 0;
  return ok;
}

// The anti-aliased coverage of one rendered string.
struct Rendered {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;
};

constexpr size_t kCacheLimit = 2048;
// Rendered strings together may hold this many bytes.
constexpr size_t kCacheByteLimit = 16u << 20;
// Texts are measured in pieces of at most this many bytes: the library copies
// a whole text onto the stack to measure it.
constexpr size_t kMeasureChunk = 1024;

}  // namespace

struct Font::Impl {
  TTF_Font* font = nullptr;
  // The face read into memory, which the library reads as long as the font lives.
  std::vector<unsigned char> faceBytes;
  std::unordered_map<std::string, Rendered> cache;
  size_t cacheBytes = 0;
  // The narrowest and widest advance of the Latin-1 glyphs (at least 1).
  int minAdvance = 1, maxAdvance = 1;

  ~Impl() {
    if (font) TTF_CloseFont(font);
  }

  void MeasureGlyphs() {
    int lo = 0, hi = 0;
    for (Uint16 ch = 32; ch < 256; ++ch) {
      if (ch >= 127 && ch < 160) continue;
      int advance = 0;
      if (TTF_GlyphMetrics(font, ch, nullptr, nullptr, nullptr, nullptr, &advance) != 0) continue;
      if (lo == 0 || advance < lo) lo = advance;
      hi = std::max(hi, advance);
    }
    minAdvance = std::max(lo, 1);
    maxAdvance = std::max(hi, minAdvance);
  }

  int64_t Width(std::string_view text) {
    int64_t total = 0;
    std::string piece;
    for (size_t at = 0; at < text.size(); at += kMeasureChunk) {
      piece.assign(text.substr(at, kMeasureChunk));
      int w = 0, h = 0;
      if (TTF_SizeText(font, piece.c_str(), &w, &h) == 0) total += w;
    }
    return total;
  }

  // Cuts text to the part that can show on a target `width` pixels wide
  // when drawn at x, and moves x to where that part starts. Nothing is
  // rasterised: a megabyte of text costs only its measuring.
  void VisiblePart(std::string_view& text, int64_t& x, int width) {
    if (x + static_cast<int64_t>(text.size()) * maxAdvance <= 0) {
      text = {};
      return;
    }
    // The characters that end left of the target, a piece at a time.
    std::string piece;
    while (x < 0 && !text.empty()) {
      piece.assign(text.substr(0, kMeasureChunk));
      int extent = 0, count = 0;
      int room = static_cast<int>(std::min<int64_t>(-x, INT_MAX));
      if (TTF_MeasureText(font, piece.c_str(), room, &extent, &count) != 0 || count <= 0) break;
      size_t skip = std::min(static_cast<size_t>(count), piece.size());
      x += Width(text.substr(0, skip));
      text.remove_prefix(skip);
      if (skip < piece.size()) break;
    }
    if (x >= width) {
      text = {};
      return;
    }
    // Every character is at least minAdvance wide; one more for the glyph
    // that reaches over the edge, and one for overhang.
    size_t fits = static_cast<size_t>((width - std::max<int64_t>(x, 0)) / minAdvance + 2);
    if (text.size() > fits) text = text.substr(0, fits);
    // Then exactly: what fits, and the characters that reach over the edge.
    piece.assign(text);
    int extent = 0, count = 0;
    int room = static_cast<int>(width - x);
    if (TTF_MeasureText(font, piece.c_str(), room, &extent, &count) == 0 && count >= 0)
      text = text.substr(0, std::min(text.size(), static_cast<size_t>(count) + 2));
  }

  const Rendered& Render(const std::string& text) {
    auto found = cache.find(text);
    if (found != cache.end()) return found->second;
    if (cache.size() >= kCacheLimit || cacheBytes > kCacheByteLimit) {
      cache.clear();
      cacheBytes = 0;
    }
    Rendered rendered;
    if (!text.empty()) {
      SDL_Surface* surface = TTF_RenderText_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
      if (surface) {
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(surface);
        if (argb) {
          rendered.width = argb->w;
          rendered.height = argb->h;
          rendered.coverage.resize(static_cast<size_t>(argb->w) * argb->h);
          SDL_LockSurface(argb);
          for (int y = 0; y < argb->h; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                          y * argb->pitch);
            for (int x = 0; x < argb->w; ++x)
              rendered.coverage[static_cast<size_t>(y) * argb->w + x] = row[x] >> 24;
          }
          SDL_UnlockSurface(argb);
          SDL_FreeSurface(argb);
        }
      }
    }
    cacheBytes += text.size() + rendered.coverage.size();
    return cache.emplace(text, std::move(rendered)).first->second;
  }
};

Font::Font() = default;
Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

bool Font::Load(const std::string& face, int points, bool bold, bool italic) {
  impl_.reset();
  if (!InitTtf()) return false;
  FontFace found = FindFontFace(face, bold, italic);
  int pixels = static_cast<int>(std::lround(points * 96.0 / 72.0));
  TTF_Font* font = nullptr;
  if (!found.file.empty()) {
    font = TTF_OpenFont(found.file.c_str(), pixels);
  } else if (!found.bytes.empty()) {
    font = TTF_OpenFontRW(SDL_RWFromConstMem(found.bytes.data(), static_cast<int>(found.bytes.size())), 1,
                          pixels);
  }
  if (!font) return false;
  int style = (bold ? TTF_STYLE_BOLD : 0) | (italic ? TTF_STYLE_ITALIC : 0);
  // Synthesise only what the matched file lacks.
  style &= ~TTF_GetFontStyle(font);
  if (bold && std::string(TTF_FontFaceStyleName(font) ? TTF_FontFaceStyleName(font) : "").find("Bold") !=
                  std::string::npos)
    style &= ~TTF_STYLE_BOLD;
  if (italic && std::string(TTF_FontFaceStyleName(font) ? TTF_FontFaceStyleName(font) : "").find("Italic") !=
                    std::string::npos)
    style &= ~TTF_STYLE_ITALIC;
  TTF_SetFontStyle(font, style);
  TTF_SetFontHinting(font, TTF_HINTING_LIGHT);
  impl_ = std::make_unique<Impl>();
  impl_->font = font;
  impl_->faceBytes = std::move(found.bytes);
  impl_->MeasureGlyphs();
  return true;
}

bool Font::Loaded() const { return impl_ != nullptr; }

size_t Font::CacheBytes() const { return impl_ ? impl_->cacheBytes : 0; }

int Font::TextWidth(const std::string& text) {
  if (!impl_ || text.empty()) return 0;
  return static_cast<int>(std::min<int64_t>(impl_->Width(text), INT_MAX));
}

int Font::TextHeight(const std::string& text) {
  if (!impl_) return 0;
  (void)text;
  return TTF_FontHeight(impl_->font);
}

void Font::Draw(Image& target, int x, int y, const std::string& text, Colour colour) {
  if (!impl_ || text.empty()) return;
  if (y >= target.Height() || int64_t{y} + TTF_FontHeight(impl_->font) <= 0) return;
  std::string_view part = text;
  int64_t left = x;
  impl_->VisiblePart(part, left, target.Width());
  if (part.empty()) return;
  const Rendered& r = impl_->Render(part.size() == text.size() ? text : std::string(part));
  if (r.width > 0)
    target.DrawCoverage(r.coverage.data(), r.width, r.height, static_cast<int>(left), y, colour);
}

void Font::DrawOpaque(Image& target, int x, int y, const std::string& text, Colour colour, Colour back) {
  if (!impl_) return;
  bool xorMode = target.XorMode();
  target.SetXorMode(false);
  target.FillBox(x, y, TextWidth(text), TextHeight(text), back);
  target.SetXorMode(xorMode);
  Draw(target, x, y, text, colour);
}

}  // namespace kb
