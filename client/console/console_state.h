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

struct Client;

constexpr int kConsolePanelWidth = 800;
constexpr int kConsolePanelHeight = 220;

// The input line is a command, not a document.
constexpr size_t kMaxConsoleInput = 4096;

// The procedure behind a console command: argument text, fromScript (1 for a
// script line), the running script's name; 0 stops the script.
using CommandHandler = std::function<int(Client& client, const std::string& args, int fromScript,
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
  std::function<void(Client&)> startConnection;
  // Sends one framed message to the server; false when there is no connection.
  std::function<bool(Client&, const std::string& message)> sendToServer;
};

constexpr int kKeyStampCount = 302;
// Entries of keyRepeatStamps that double as press latches.
constexpr int kConsoleKeyLatch = 220;
constexpr int kDevToggleLatch = 260;

struct ConsoleState {
  ConsoleLines lines;
  int enabled = 0;
  int isOpen = 0;
  int isSmall = 0;
  int frozen = 0;
  std::string input;
  std::string lastInput;
  int scroll = 0;
  int height = 0;
  Image panel{kConsolePanelWidth, kConsolePanelHeight};

  // Typing state shared with the text fields: per virtual key the time it
  // went down while typing (0 while up), and the same for Backspace.
  std::array<int64_t, kKeyStampCount> keyRepeatStamps{};
  int64_t backspaceStamp = 0;
  // Caret blink, shared with the text fields.
  int caretOn = 0;
  int64_t caretTime = 0;
  int recallLatch = 0;
  int pasteLatch = 0;

  // Filled once at start-up, sorted by name, read-only afterwards.
  std::vector<CommandRecord> commandTable;
  ConsoleHooks hooks;
};

}  // namespace kb
