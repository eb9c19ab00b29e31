#pragma once

#include "client/ui/load_resources.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace probe {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBar = Rgb(0, 90, 0);
constexpr Colour kGlow = Rgb(250, 250, 0);
constexpr Colour kBarOff = Rgb(80, 80, 80);
constexpr Colour kBanner = Rgb(0, 0, 120);
constexpr Colour kBannerLit = Rgb(200, 200, 255);

// A client with real fonts and plain single-colour pictures, so that a probe
// can tell which layer a pixel comes from.
struct DrawnClient : SpineClient {
  DrawnClient() {
    Resources& res = client.resources;
    LoadFonts(res);
    res.buttonFace = Image(180, 52, kBar);
    res.buttonGlow = Image(180, 52, kGlow);
    res.buttonFaceOff = Image(180, 52, kBarOff);
    res.titleBanner = Image(800, 90, kBanner);
    res.bannerGlowSprite = Image(800, 90, kBannerLit);
    res.cursorSprite = Image(12, 21, kMagenta);
    res.cursorSprite.FillBox(0, 0, 1, 21, Rgb(1, 2, 3));  // the arrow's left edge
    BuildButtonSprites(client);
  }
  Colour At(int x, int y) const { return display.lastFrame.Pixel(x, y); }
  bool AnyOf(Colour c, int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (At(x, y) == c) return true;
    return false;
  }
  // Some pixel of anti-aliased white text.
  bool AnyLight(int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (RedOf(At(x, y)) > 150 && GreenOf(At(x, y)) > 150) return true;
    return false;
  }
};

}  // namespace probe
}  // namespace kb
