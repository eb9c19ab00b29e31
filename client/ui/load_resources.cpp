#include "client/ui/load_resources.h"

#include "assets/assets.h"
#include "client/ui/resources.h"
#include "common/platform/core/picture.h"

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
  resources.buttonFace = Decode(assets::ButtonFace());
  resources.buttonGlow = Decode(assets::ButtonGlow());
  resources.buttonFaceOff = Decode(assets::ButtonFaceOff());
  resources.bannerGlowSprite = Decode(assets::BannerGlow());
  resources.cursorSprite = Decode(assets::Cursor());
}

}  // namespace kb
