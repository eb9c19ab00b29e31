#include "common/platform/sdl/font.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace kb {

namespace {

// The file of the installed face that best matches the family and style.
std::string FindFontFile(const std::string& face, bool bold, bool italic) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file = reinterpret_cast<const char*>(path);
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

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

}  // namespace

struct Font::Impl {
  TTF_Font* font = nullptr;
  std::unordered_map<std::string, Rendered> cache;

  ~Impl() {
    if (font) TTF_CloseFont(font);
  }

  const Rendered& Render(const std::string& text) {
    auto found = cache.find(text);
    if (found != cache.end()) return found->second;
    if (cache.size() >= kCacheLimit) cache.clear();
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
  std::string file = FindFontFile(face, bold, italic);
  if (file.empty()) return false;
  int pixels = static_cast<int>(std::lround(points * 96.0 / 72.0));
  TTF_Font* font = TTF_OpenFont(file.c_str(), pixels);
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
  return true;
}

bool Font::Loaded() const { return impl_ != nullptr; }

int Font::TextWidth(const std::string& text) {
  if (!impl_ || text.empty()) return 0;
  int w = 0, h = 0;
  TTF_SizeText(impl_->font, text.c_str(), &w, &h);
  return w;
}

int Font::TextHeight(const std::string& text) {
  if (!impl_) return 0;
  (void)text;
  return TTF_FontHeight(impl_->font);
}

void Font::Draw(Image& target, int x, int y, const std::string& text, Colour colour) {
  if (!impl_) return;
  const Rendered& r = impl_->Render(text);
  if (r.width > 0) target.DrawCoverage(r.coverage.data(), r.width, r.height, x, y, colour);
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
