#pragma once

#include <string>

#include "client/console/console_state.h"
#include "client/console/scripts.h"
#include "client/core/model.h"

namespace kb {

// What the console's commands work on: the model they command, the console
// itself and its running scripts.
struct CommandContext {
  Model& model;
  ConsoleState& console;
  Scripts& scripts;

  void Print(const std::string& text, Colour colour) { model.consoleLines.Print(text, colour); }
};

}  // namespace kb
