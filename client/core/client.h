#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "client/console/console_state.h"
#include "client/console/scripts.h"
#include "client/core/game_state.h"
#include "client/core/net_state.h"
#include "client/core/round.h"
#include "client/core/server_list_state.h"
#include "client/ui/button.h"
#include "client/ui/config.h"
#include "client/ui/frame_pacer.h"
#include "client/ui/resources.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/display.h"
#include "common/platform/core/image.h"
#include "common/platform/core/input.h"
#include "common/platform/core/random.h"

namespace kb {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// A text placed on the screen by the console's "text" command.
struct TextObject {
  TextObject() = default;
  TextObject(int x, int y, std::string text, Colour colour, std::string name = {})
      : x(x), y(y), text(std::move(text)), colour(colour), name(std::move(name)) {}

  int x = 0, y = 0;
  std::string text;
  Colour colour = 0xFFFFFF;
  // Scripts address the text by this name (case-sensitive).
  std::string name;
};

// Values of the frame loop and the screens.
struct FrameState {
  int gameState = kStateMenu;
  StateChange stateChange;
  int fadeLevel = 0;
  int bannerGlow = 0;
  int mouseX = 0, mouseY = 0;
  int escapeLatch = 0;
  int enterLatch = 0;
  int clickLatch = 0;
  std::string helpLine;
  int frameCount = 0;
  int64_t fpsTime = 0;
  int fpsValue = 0;
  // Which loop passes draw and present; DrawFrame tells it each frame shown.
  FramePacer pacer;
  // Whether this loop pass presents a frame: the per-frame animations that
  // UpdateFrame runs (the banner glow) step only then, so they take as many
  // shown frames as on a loop that presents every pass.
  bool drawThisPass = true;
  int debugMode = 0;
  int devMode = 0;
  bool quit = false;

  // The left mouse button as queried once this frame, and whether this frame
  // saw it go down (the click latch was clear).
  bool leftButton = false;
  bool newClick = false;
  // Page Up / Page Down: press latches and the time of the last bot-count step.
  int pageUpLatch = 0;
  int pageDownLatch = 0;
  int64_t botStepTime = 0;
  int fullScreenLatch = 0;
  // Set when the display cannot be reopened: the loop ends without saving and
  // the program shows this text in a message box titled "Fehler".
  std::string fatalError;
};

// The whole client: every table and value of the game, owned by one object
// and passed by reference, so tests can run several clients side by side.
// Only the frame loop's thread touches it.
struct Client {
  Client(Clock& clock, Random& random, Input& input, Display& display)
      : clock(clock), random(random), input(input), display(display) {}

  Clock& clock;
  Random& random;
  Input& input;
  Display& display;

  Config config;
  Resources resources;
  FrameState frame;
  RoundState round;
  ConsoleState console;
  std::vector<TextObject> textObjects;
  Image screen{kScreenWidth, kScreenHeight};

  // The on-screen buttons in their fixed order (filled at start-up).
  std::vector<MenuButton> menuButtons;
  // Hands a web address to the system's browser; tests record it instead.
  std::function<void(const std::string&)> openUrl;

  // Where the next connection goes ("connect" and the server screens).
  std::string serverAddress;
  int serverPort = kDefaultGamePort;
  std::string serverLabel;

  // The servers found by the LAN search or the Internet list, and the list
  // screens' selection.
  ServerListState serverList;
  NetState net;
  Scripts scripts;
};

}  // namespace kb
