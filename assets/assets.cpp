#include "assets/assets.h"

#define KB_ASSET(id)                          \
  extern const unsigned char kb_asset_##id[]; \
  extern const std::size_t kb_asset_##id##_size;

KB_ASSET(title_banner_png)
KB_ASSET(banner_glow_png)
KB_ASSET(button_face_png)
KB_ASSET(button_glow_png)
KB_ASSET(button_face_off_png)
KB_ASSET(item_icon_1_png)
KB_ASSET(item_icon_2_png)
KB_ASSET(item_icon_3_png)
KB_ASSET(triangle_png)
KB_ASSET(lock_on_light_bmp)
KB_ASSET(lock_on_dark_bmp)
KB_ASSET(cursor_bmp)

#define KB_ASSET_BYTES(id) \
  Bytes { kb_asset_##id, kb_asset_##id##_size }

namespace kb::assets {

Bytes TitleBanner() { return KB_ASSET_BYTES(title_banner_png); }
Bytes BannerGlow() { return KB_ASSET_BYTES(banner_glow_png); }
Bytes ButtonFace() { return KB_ASSET_BYTES(button_face_png); }
Bytes ButtonGlow() { return KB_ASSET_BYTES(button_glow_png); }
Bytes ButtonFaceOff() { return KB_ASSET_BYTES(button_face_off_png); }

Bytes ItemIcon(int kind) {
  switch (kind) {
    case 1:
      return KB_ASSET_BYTES(item_icon_1_png);
    case 2:
      return KB_ASSET_BYTES(item_icon_2_png);
    case 3:
      return KB_ASSET_BYTES(item_icon_3_png);
    default:
      return Bytes{nullptr, 0};
  }
}

Bytes Triangle() { return KB_ASSET_BYTES(triangle_png); }
Bytes LockOnLight() { return KB_ASSET_BYTES(lock_on_light_bmp); }
Bytes LockOnDark() { return KB_ASSET_BYTES(lock_on_dark_bmp); }
Bytes Cursor() { return KB_ASSET_BYTES(cursor_bmp); }

}  // namespace kb::assets
