#pragma once

#include <string>
#include <vector>

#include "client/ui/resources.h"
#include "common/platform/core/image.h"

namespace kb {

struct Model;

// One on-screen button: a 170 x 42 face at (x, y) on the screen of one
// GameState, or (the password button) of one NetMode inside state net.
struct MenuButton {
  int x = 0, y = 0;
  std::string text;
  bool (*isEnabled)(const Model&) = nullptr;
  // Hover highlight 0..255; survives display switches.
  int glow = 0;
  int screen = 0;
  // Non-zero for a button of a network game's screen: screen is then kStateNet.
  int netMode = 0;
  // Caption pictures: only the caption is opaque, the rest is the key colour.
  Image faceOn;
  Image faceOff;
};

constexpr int kButtonWidth = 170;
constexpr int kButtonHeight = 42;
constexpr Colour kFaceOnKey = 0x00C800;
constexpr Colour kFaceOffKey = 0x646464;

// Appends the nine buttons in their fixed order, each with glow 0.
void AddMenuButtons(std::vector<MenuButton>& buttons);

// Renders both caption pictures of every button (start-up and after every
// display switch).
void BuildButtonSprites(std::vector<MenuButton>& buttons, Font& font);

// Whether the button belongs to the screen shown now.
bool ButtonShown(const Model& model, const MenuButton& button);

// Moves every shown button's glow and draws it enabled or disabled.
void DrawButtons(Image& screen, const Resources& res, std::vector<MenuButton>& buttons, const Model& model);

// The index of the button with this caption on this screen, or -1.
int FindButton(const std::vector<MenuButton>& buttons, int screen, const std::string& text);

}  // namespace kb
