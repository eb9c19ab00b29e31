#pragma once

#include <cstddef>

namespace kb::assets {

// The picture files carried inside the program, decoded at start-up with
// DecodePicture.
struct Bytes {
  const unsigned char* data;
  size_t size;
};

Bytes TitleBanner();    // 800 x 90 PNG
Bytes BannerGlow();     // 800 x 90 PNG, the banner highlighted
Bytes ButtonFace();     // 180 x 52 PNG
Bytes ButtonGlow();     // 180 x 52 PNG
Bytes ButtonFaceOff();  // 180 x 52 PNG
// 20 x 20 PNG for kinds 1..3; empty for any other kind.
Bytes ItemIcon(int kind);
Bytes Triangle();     // 84 x 84 PNG with a palette
Bytes LockOnLight();  // 9 x 14 BMP
Bytes LockOnDark();   // 9 x 14 BMP
Bytes Cursor();       // 12 x 21 BMP on magenta

}  // namespace kb::assets
