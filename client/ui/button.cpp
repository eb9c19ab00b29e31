#include "client/ui/button.h"

#include <algorithm>

#include "client/core/client.h"
#include "client/core/mouse.h"
#include "client/core/network_hooks.h"
#include "client/core/server_list_hooks.h"
#include "client/core/state_steps.h"
#include "client/ui/put_text.h"

namespace kb {

namespace {

bool Always(const Client&) { return true; }
bool ServersListed(const Client& client) { return ServerCount(client) > 0; }

constexpr int kPasswordPrompt = 19;

// A caption picture: the outlined caption on a background of the key colour.
Image RenderCaption(Font& font, const std::string& text, Colour key, Colour outline, Colour colour) {
  Image face(kButtonWidth, kButtonHeight, key);
  PutOutlinedText(face, font, 85 - font.TextWidth(text) / 2, 5, text, outline, colour, 1);
  return face;
}

}  // namespace

void AddMenuButtons(Client& client) {
  struct Row {
    int x, y;
    const char* text;
    int screen;
    bool (*isEnabled)(const Client&);
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
      {76, 56, "Verbinden", kStateNet, PasswordEntered, kPasswordPrompt},
  };
  for (const Row& row : kRows) {
    MenuButton button;
    button.x = row.x;
    button.y = row.y;
    button.text = row.text;
    button.screen = row.screen;
    button.isEnabled = row.isEnabled;
    button.netMode = row.netMode;
    client.menuButtons.push_back(std::move(button));
  }
}

void BuildButtonSprites(Client& client) {
  Font& font = client.resources.fontLarge;
  for (MenuButton& button : client.menuButtons) {
    button.faceOn = RenderCaption(font, button.text, kFaceOnKey, Rgb(0, 102, 0), Rgb(0, 255, 0));
    button.faceOff = RenderCaption(font, button.text, kFaceOffKey, Rgb(51, 51, 51), Rgb(153, 153, 153));
  }
}

bool ButtonShown(const Client& client, const MenuButton& button) {
  // Only the network game's own buttons show inside it, whatever its mode
  // number happens to equal.
  if (button.screen != client.frame.gameState) return false;
  return button.screen != kStateNet || button.netMode == CurrentNetMode(client);
}

void DrawButtons(Client& client) {
  Image& screen = client.screen;
  const Resources& res = client.resources;
  for (MenuButton& button : client.menuButtons) {
    if (!ButtonShown(client, button)) continue;
    if (MouseInButton(client, button.x, button.y)) {
      if (button.glow < 255) button.glow += 20;
    } else if (button.glow > 0) {
      button.glow -= 20;
    }
    button.glow = std::clamp(button.glow, 0, 255);

    if (button.isEnabled && button.isEnabled(client)) {
      screen.Draw(res.buttonFace, button.x - 5, button.y - 5);
      screen.DrawBlended(res.buttonGlow, button.x - 5, button.y - 5, button.glow);
      screen.DrawKeyed(button.faceOn, button.x, button.y, kFaceOnKey);
    } else {
      screen.Draw(res.buttonFaceOff, button.x - 5, button.y - 5);
      screen.DrawKeyed(button.faceOff, button.x, button.y, kFaceOffKey);
    }
  }
}

int FindButton(const Client& client, int screen, const std::string& text) {
  for (size_t i = 0; i < client.menuButtons.size(); ++i) {
    const MenuButton& button = client.menuButtons[i];
    if (button.screen == screen && button.text == text) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kb
