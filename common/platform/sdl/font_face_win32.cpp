#include <windows.h>

#include <mutex>

#include "common/platform/core/latin1.h"
#include "common/platform/sdl/font_face.h"

namespace kb {

// GDI picks the face as it would for any Windows program (its substitutes
// included) and hands out the bytes of the font file behind it.
FontFace FindFontFace(const std::string& family, bool bold, bool italic) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  FontFace face;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return face;
  HFONT font = CreateFontW(-32, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           Utf8ToWide(family).c_str());
  if (font) {
    HGDIOBJ previous = SelectObject(dc, font);
    DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 0) {
      face.bytes.resize(size);
      if (GetFontData(dc, 0, 0, face.bytes.data(), size) != size) face.bytes.clear();
    }
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return face;
}

}  // namespace kb
