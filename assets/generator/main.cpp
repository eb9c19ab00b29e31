// Draws the carried pictures and writes them as the files the game embeds.
// Usage: kb_asset_generator <output directory>

#include <cstdio>
#include <string>

#include "assets/generator/artwork.h"
#include "assets/generator/picture_files.h"

// fontconfig keeps its configuration until the process ends; sanitizer builds
// run this program during the build.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
  using namespace kb::art;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  std::string dir = std::string(argv[1]) + "/";
  bool ok = true;
  auto png = [&](const char* name, const kb::Image& image, bool palette = false) {
    if (image.Empty() || !WritePng(dir + name, image, palette)) {
      std::fprintf(stderr, "cannot write %s\n", name);
      ok = false;
    }
  };
  auto bmp = [&](const char* name, const kb::Image& image) {
    if (!WriteBmp(dir + name, image)) {
      std::fprintf(stderr, "cannot write %s\n", name);
      ok = false;
    }
  };
  png("title_banner.png", TitleBanner(false));
  png("banner_glow.png", TitleBanner(true));
  png("button_face.png", ButtonBar(0));
  png("button_glow.png", ButtonBar(1));
  png("button_face_off.png", ButtonBar(2));
  png("item_icon_1.png", ItemIcon(1));
  png("item_icon_2.png", ItemIcon(2));
  png("item_icon_3.png", ItemIcon(3));
  png("triangle.png", Triangle(), true);
  bmp("lock_on_light.bmp", Padlock(false));
  bmp("lock_on_dark.bmp", Padlock(true));
  bmp("cursor.bmp", Cursor());
  return ok ? 0 : 1;
}
