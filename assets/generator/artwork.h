#pragma once

#include "common/platform/core/image.h"

namespace kb::art {

// The carried pictures, drawn at their fixed sizes.
Image TitleBanner(bool highlighted);  // 800 x 90
Image ButtonBar(int look);            // 180 x 52: 0 face, 1 glow, 2 disabled
Image ItemIcon(int kind);             // 20 x 20, kinds 1..3
Image Triangle();                     // 84 x 84, greys only
Image Padlock(bool onDark);           // 9 x 14
Image Cursor();                       // 12 x 21 on magenta

}  // namespace kb::art
