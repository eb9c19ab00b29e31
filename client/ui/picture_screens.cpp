#include "client/ui/picture_screens.h"

#include "client/ui/put_text.h"
#include "client/ui/resources.h"

namespace kb {

void DrawWtfScreen(Image& screen, const Resources& res) {
  const Image& triangle = res.triangleImage;
  screen.Draw(triangle, 400 - triangle.Width() / 2, 300 - triangle.Height() / 2);
}

void DrawHellScreen(Image& screen, Resources& res) {
  screen.FillBox(0, 100, 800, 500, Rgb(255, 0, 0));
  for (int y = 115; y <= 242; ++y) screen.Line(0, y, 800, y, Rgb(2 * (y - 115), 0, 0));
  for (int y = 400; y <= 600; ++y) screen.Line(0, y, 800, y, Rgb(255 - (y - 400), 0, 0));
  PutOutlinedText(screen, res.fontHuge, -1, -1, "666", 0, 0xFFFFFF, 2);
  PutOutlinedText(screen, res.fontLarge, -1, 400, "Willkommen in der H\xF6lle!!", 0, 0xFFFFFF, 1);
}

}  // namespace kb
