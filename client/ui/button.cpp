#include "client/ui/button.h"

#include <algorithm>

#include "client/core/model.h"
#include "client/core/mouse.h"
#include "client/core/network_hooks.h"
#include "client/core/state_steps.h"
#include "client/ui/put_text.h"

namespace kb {

namespace {

bool Always(const Model&) { return true; }
bool ServersListed(const Model& model) { return model.serverList.list.Count() > 0; }

// A caption picture: the outlined caption on a background of the key colour.
Image RenderCaption(Font& font, const std::string& text, Colour key, Colour outline, Colour colour) {
  Image face(kButtonWidth, kButtonHeight, key);
  PutOutlinedText(face, font, 85 - font.TextWidth(text) / 2, 5, text, outline, colour, 1);
  return face;
}

}  // namespace

void AddMenuButtons(std::vector<MenuButton>& buttons) {
  struct Row {
    int x, y;
    const char* text;
    int screen;
    bool (*isEnabled)(const Model&);
    int netMode = 0;
  };
  static constexpr Row kRows[] = {
      {225, 505, "Starten", kStateMenu, StartAllowed},
      {405, 505, "Multiplayer", kStateMenu, Always},
      {315, 120, "Internet", kStateNetChoose, Always},
      {315, 170, "Lan", kStateNetChoose, Always},
      {315, 520, "Verbinden", kStateNetWeb, ServersListed},
      {225, 520, "Verbinden", kStateNetLan, ServersListed},
      {405, 520, "Manuell", kStateNetLan, Always},
      {315, 180, "Verbinden", kStateNetLanManual, ManualAddressUsable},
      {76, 56, "Verbinden", kStateNet, PasswordEntered, kModePasswordRequired},
  };
  for (const Row& row : kRows) {
    MenuButton button;
    button.x = row.x;
    button.y = row.y;
    button.text = row.text;
    button.screen = row.screen;
    button.isEnabled = row.isEnabled;
    button.netMode = row.netMode;
    buttons.push_back(std::move(button));
  }
}

void BuildButtonSprites(std::vector<MenuButton>& buttons, Font& font) {
  for (MenuButton& button : buttons) {
    button.faceOn = RenderCaption(font, button.text, kFaceOnKey, Rgb(0, 102, 0), Rgb(0, 255, 0));
    button.faceOff = RenderCaption(font, button.text, kFaceOffKey, Rgb(51, 51, 51), Rgb(153, 153, 153));
  }
}

bool ButtonShown(const Model& model, const MenuButton& button) {
  // Only the network game's own buttons show inside it, whatever its mode
  // number happens to equal.
  if (button.screen != model.frame.gameState) return false;
  return button.screen != kStateNet || button.netMode == CurrentNetMode(model);
}

void DrawButtons(Image& screen, const Resources& res, std::vector<MenuButton>& buttons, const Model& model) {
  for (MenuButton& button : buttons) {
    if (!ButtonShown(model, button)) continue;
    if (MouseInButton(model.frame, button.x, button.y)) {
      if (button.glow < 255) button.glow += 20;
    } else if (button.glow > 0) {
      button.glow -= 20;
    }
    button.glow = std::clamp(button.glow, 0, 255);

    if (button.isEnabled && button.isEnabled(model)) {
      screen.Draw(res.buttonFace, button.x - 5, button.y - 5);
      screen.DrawBlended(res.buttonGlow, button.x - 5, button.y - 5, button.glow);
      screen.DrawKeyed(button.faceOn, button.x, button.y, kFaceOnKey);
    } else {
      screen.Draw(res.buttonFaceOff, button.x - 5, button.y - 5);
      screen.DrawKeyed(button.faceOff, button.x, button.y, kFaceOffKey);
    }
  }
}

int FindButton(const std::vector<MenuButton>& buttons, int screen, const std::string& text) {
  for (size_t i = 0; i < buttons.size(); ++i) {
    const MenuButton& button = buttons[i];
    if (button.screen == screen && button.text == text) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kb
