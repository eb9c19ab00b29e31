#pragma once

#include "common/platform/core/image.h"
#include "common/platform/sdl/font.h"

namespace kb {

// Fonts and pictures loaded once at start-up; the sprites are rebuilt after
// every display switch.
struct Resources {
  Font fontTiny;    // slot 1: 8 pt italic
  Font fontHuge;    // slot 2: 80 pt bold italic
  Font fontLarge;   // slot 3: 20 pt
  Font fontNormal;  // slot 5: 11 pt
  Font fontScore;   // slot 6: 12 pt bold
  Font fontSmall;   // slot 7: 8 pt

  Image lockIconOnLight;
  Image lockIconOnDark;
  Image titleBanner;
  Image itemIcons[4];  // kinds 1..3; 0 unused
  Image triangleImage;

  Image fadeSprite;
  Image buttonFace;
  Image buttonGlow;
  Image buttonFaceOff;
  Image bannerGlowSprite;
  Image cursorSprite;
};

}  // namespace kb
