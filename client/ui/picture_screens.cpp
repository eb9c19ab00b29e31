#include "client/ui/picture_screens.h"

#include "client/core/client.h"
#include "client/ui/put_text.h"

namespace kb {

void DrawWtfScreen(Client& client) {
  const Image& triangle = client.resources.triangleImage;
  client.screen.Draw(triangle, 400 - triangle.Width() / 2, 300 - triangle.Height() / 2);
}

void DrawHellScreen(Client& client) {
  Image& screen = client.screen;
  Resources& res = client.resources;
  screen.FillBox(0, 100, 800, 500, Rgb(255, 0, 0));
  for (int y = 115; y <= 242; ++y) screen.Line(0, y, 800, y, Rgb(2 * (y - 115), 0, 0));
  for (int y = 400; y <= 600; ++y) screen.Line(0, y, 800, y, Rgb(255 - (y - 400), 0, 0));
  PutOutlinedText(screen, res.fontHuge, -1, -1, "666", 0, 0xFFFFFF, 2);
  PutOutlinedText(screen, res.fontLarge, -1, 400, "Willkommen in der H\xF6lle!!", 0, 0xFFFFFF, 1);
}

}  // namespace kb
