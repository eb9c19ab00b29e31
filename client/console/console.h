#pragma once

#include <string>

#include "common/platform/core/image.h"

namespace kb {

class ConsoleLines;
struct CommandContext;
struct ConsoleState;

constexpr const char* kVersionText = "Kringelbahn 1.2.4";

// Prints "Willkommen zu <version>!" in green.
void PrintWelcome(ConsoleLines& lines);

// Empties the history and prints the welcome line.
void ClearConsole(ConsoleLines& lines);

// Writes every line, CR LF ended, to the file (default "ConsoleDump.txt",
// unquoted). A failure is reported only when typed at the console. Returns
// whether the file was written.
bool DumpConsole(ConsoleLines& lines, const std::string& fileName, int fromScript);

// Runs the trimmed input line as typed at the console (with the amber echo
// when asked), then remembers it for Ctrl + Up and empties the input.
void ExecuteConsoleInput(CommandContext& ctx, bool echo);

// The console's keys, once per frame right after the keyboard poll.
void HandleConsoleKeys(CommandContext& ctx);

// Registers every console command and sorts the table.
void RegisterCommands(ConsoleState& console);

// Opens a script file; the frame loop runs its lines (StepScripts).
void StartScript(CommandContext& ctx, const std::string& fileName);

// Starts "autoexec.kbs" of the current directory when it exists and is not empty.
void StartAutoexec(CommandContext& ctx);

}  // namespace kb
