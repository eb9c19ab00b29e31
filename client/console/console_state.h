#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "client/core/console_lines.h"
#include "common/platform/core/image.h"

namespace kb {

struct CommandContext;
struct Model;

constexpr int kConsolePanelWidth = 800;
constexpr int kConsolePanelHeight = 220;

// The input line is a command, not a document.
constexpr size_t kMaxConsoleInput = 4096;

// The procedure behind a console command: argument text, fromScript (1 for a
// script line), the running script's name; 0 stops the script.
using CommandHandler = std::function<int(CommandContext& ctx, const std::string& args, int fromScript,
                                         const std::string& scriptName)>;

struct CommandRecord {
  CommandHandler handler;
  std::string name;
  std::string help;
  int hidden = 0;
};

// How the commands reach what is not theirs: message boxes and the server
// connection. Empty members fall back to the platform's message box and to
// the client's own connection; tests replace them.
struct ConsoleHooks {
  // Returns once the box is closed (a script waits for it apart).
  std::function<void(const std::string& title, const std::string& text, bool warning)> messageBox;
  // Starts the connection attempt to serverAddress/serverPort.
  std::function<void(Model&)> startConnection;
  // Sends one framed message to the server; false when there is no connection.
  std::function<bool(Model&, const std::string& message)> sendToServer;
};

struct ConsoleState {
  int enabled = 0;
  int isSmall = 0;
  int frozen = 0;
  std::string input;
  std::string lastInput;
  int scroll = 0;
  int height = 0;
  Image panel{kConsolePanelWidth, kConsolePanelHeight};

  int recallLatch = 0;
  int pasteLatch = 0;

  // Filled once at start-up, sorted by name, read-only afterwards.
  std::vector<CommandRecord> commandTable;
  ConsoleHooks hooks;
};

}  // namespace kb
