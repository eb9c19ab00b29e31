#pragma once

#include <string>
#include <vector>

#include "client/console/command_context.h"
#include "client/core/model.h"
#include "client/ui/button.h"
#include "client/ui/config.h"
#include "client/ui/frame_pacer.h"
#include "client/ui/resources.h"
#include "common/platform/core/audio.h"
#include "common/platform/core/display.h"

namespace kb {

enum class AudioState { kUntried, kOpen, kMissing };

// The whole client: the model, and what shows it and types at it (the
// display, fonts and pictures, buttons, the console and its scripts). One
// object passed by reference, so tests can run several clients side by side;
// only the frame loop takes all of it.
struct Client : Model {
  Client(Clock& clock, Random& random, Input& input, Display& display)
      : Model(clock, random, input), display(display) {}

  Display& display;
  // The sound output; none in tests that do not listen.
  Audio* audio = nullptr;
  AudioState audioState = AudioState::kUntried;
  Config config;
  Resources resources;
  Image screen{kScreenWidth, kScreenHeight};
  // The on-screen buttons in their fixed order (filled at start-up).
  std::vector<MenuButton> menuButtons;
  ConsoleState console;
  Scripts scripts;
  // What the console's keys, commands and scripts work on.
  CommandContext commands{*this, console, scripts};

  // Which loop passes draw and present; DrawFrame tells it each frame shown.
  FramePacer pacer;
  int frameCount = 0;
  int64_t fpsTime = 0;
  int fpsValue = 0;
  int fullScreenLatch = 0;
  // Whether the display was last told that a text field takes typing.
  bool textKeyboardShown = false;
  // Set when the display cannot be reopened: the loop ends without saving and
  // the program shows this text in a message box titled "Fehler".
  std::string fatalError;
};

}  // namespace kb
