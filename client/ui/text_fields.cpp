#include "client/ui/text_fields.h"

#include "client/core/net_state.h"
#include "client/ui/put_text.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kFocus = 0x0000FF;

// A box with a one-pixel frame whose corners are rounded off.
void FramedBox(Image& screen, int x, int y, int w, int h, Colour frame) {
  screen.FillBox(x, y, w, h, frame);
  screen.FillBox(x + 1, y + 1, w - 2, h - 2, 0);
  int right = x + w - 1, bottom = y + h - 1;
  for (auto [px, py] : {std::pair{x, y}, {right, y}, {x, bottom}, {right, bottom}})
    screen.SetPixel(px, py, 0);
  for (auto [px, py] :
       {std::pair{x + 1, y + 1}, {right - 1, y + 1}, {x + 1, bottom - 1}, {right - 1, bottom - 1}})
    screen.SetPixel(px, py, frame);
}

}  // namespace

void DrawManualFields(Image& screen, Font& font, const NetState& net) {
  Colour addressFrame = net.manualField == 0 ? kFocus : kWhite;
  Colour portFrame = net.manualField == 1 ? kFocus : kWhite;
  FramedBox(screen, 340, 120, 145, 22, addressFrame);
  FramedBox(screen, 350, 145, 135, 22, portFrame);
  PutText(screen, font, 316, 122, "IP: ", kWhite);
  PutText(screen, font, 316, 147, "Port: ", kWhite);
  // A long name or IPv6 address shows its end, where it is being typed.
  PutText(screen, font, 342, 122, FitTextEnd(font, net.manualAddress, 141), kWhite);
  PutText(screen, font, 352, 147, net.manualPort, kWhite);
}

void DrawPasswordPrompt(Image& screen, Font& font, const NetSession& session) {
  PutText(screen, font, 4, 29, "Passwort:", kWhite);
  FramedBox(screen, 76, 29, 170, 22, kWhite);
  PutText(screen, font, 78, 31, std::string(session.passwordText.size(), '*'), kWhite);
}

}  // namespace kb
