#include "client/ui/load_resources.h"

#include "client/core/client.h"
#include "common/platform/core/picture.h"

// The carried pictures arrive with the assets library; until it is built the
// pictures stay empty and the game runs without them.
#if __has_include("assets/assets.h")
#include "assets/assets.h"
#else
namespace kb::assets {
struct Bytes {
  const unsigned char* data;
  size_t size;
};
inline Bytes None() { return {nullptr, 0}; }
inline Bytes TitleBanner() { return None(); }
inline Bytes BannerGlow() { return None(); }
inline Bytes ButtonFace() { return None(); }
inline Bytes ButtonGlow() { return None(); }
inline Bytes ButtonFaceOff() { return None(); }
inline Bytes ItemIcon(int) { return None(); }
inline Bytes Triangle() { return None(); }
inline Bytes LockOnLight() { return None(); }
inline Bytes LockOnDark() { return None(); }
inline Bytes Cursor() { return None(); }
}  // namespace kb::assets
#endif

namespace kb {

namespace {

Image Decode(assets::Bytes bytes) {
  if (!bytes.data || bytes.size == 0) return Image();
  return DecodePicture(bytes.data, bytes.size);
}

}  // namespace

void LoadFonts(Resources& resources) {
  resources.fontTiny.Load("Arial", 8, false, true);
  resources.fontNormal.Load("Arial", 11, false, false);
  resources.fontScore.Load("Arial", 12, true, false);
  resources.fontSmall.Load("Arial", 8, false, false);
  resources.fontLarge.Load("Arial", 20, false, false);
  resources.fontHuge.Load("Arial", 80, true, true);
}

void LoadPictures(Resources& resources) {
  resources.lockIconOnLight = Decode(assets::LockOnLight());
  resources.lockIconOnDark = Decode(assets::LockOnDark());
  resources.titleBanner = Decode(assets::TitleBanner());
  for (int kind = 1; kind <= 3; ++kind) resources.itemIcons[kind] = Decode(assets::ItemIcon(kind));
  resources.triangleImage = Decode(assets::Triangle());
}

void LoadSprites(Resources& resources) {
  resources.fadeSprite = Image(kScreenWidth, kScreenHeight, 0);
  resources.buttonFace = Decode(assets::ButtonFace());
  resources.buttonGlow = Decode(assets::ButtonGlow());
  resources.buttonFaceOff = Decode(assets::ButtonFaceOff());
  resources.bannerGlowSprite = Decode(assets::BannerGlow());
  resources.cursorSprite = Decode(assets::Cursor());
}

}  // namespace kb
