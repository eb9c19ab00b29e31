#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "client/core/console_lines.h"
#include "client/core/game_state.h"
#include "client/core/net_state.h"
#include "client/core/pad_input.h"
#include "client/core/round.h"
#include "client/core/server_list_state.h"
#include "client/core/sound_queue.h"
#include "client/core/text_input.h"
#include "common/platform/core/clock.h"
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

// Values of the frame loop and the screens that the steps read and move.
struct FrameState {
  int gameState = kStateMenu;
  StateChange stateChange;
  int fadeLevel = 0;
  int bannerGlow = 0;
  int mouseX = 0, mouseY = 0;
  int escapeLatch = 0;
  int enterLatch = 0;
  int clickLatch = 0;
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
  // Whether the game takes keys and the mouse buttons: its window has the
  // focus, or it is full screen (set by the frame loop each pass).
  bool hasKeyboard = true;
};

// What the client knows, apart from how it is shown and the console that
// commands it: the screen and its rules, the round, network play and the
// server lists, stepped by core from the clock, the random source and the
// input. Nothing in it draws.
struct Model {
  Model(Clock& clock, Random& random, Input& platformInput)
      : clock(clock), random(random), input(platformInput, round.players, frame.gameState) {}

  Clock& clock;
  Random& random;
  RoundState round;
  // The platform's keys and mouse, with game controllers and fingers holding keys.
  PadInput input;

  FrameState frame;
  NetState net;
  // The servers found by the LAN search or the Internet list, and the list
  // screens' selection.
  ServerListState serverList;
  // The effects of this frame's events, for the platform to play.
  SoundQueue sound;

  // Where the next connection goes ("connect" and the server screens): a
  // host, or the addresses of one server blank apart (ServerHosts).
  std::string serverAddress;
  int serverPort = kDefaultGamePort;
  std::string serverLabel;

  // What the console shows; the steps write their notices here too.
  ConsoleLines consoleLines;
  // The console is open and takes the keys (a network game goes on beside it).
  int consoleOpen = 0;
  // Key repeat and caret blink, shared by the console's line and the text fields.
  TypingState typing;
  std::vector<TextObject> textObjects;

  // Hands a web address to the system's browser; tests record it instead.
  std::function<void(const std::string&)> openUrl;
};

}  // namespace kb
