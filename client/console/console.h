#pragma once

#include <string>

#include "common/platform/core/image.h"

namespace kb {

struct Client;

constexpr const char* kVersionText = "Kringelbahn 1.2.4";

// Appends a line to the console.
void ConsolePrint(Client& client, const std::string& text, Colour colour);

// Prints "Willkommen zu <version>!" in green.
void PrintWelcome(Client& client);

// Empties the history and prints the welcome line.
void ClearConsole(Client& client);

// Writes every line, CR LF ended, to the file (default "ConsoleDump.txt",
// unquoted). A failure is reported only when typed at the console. Returns
// whether the file was written.
bool DumpConsole(Client& client, const std::string& fileName, int fromScript);

// Runs the trimmed input line as typed at the console (with the amber echo
// when asked), then remembers it for Ctrl + Up and empties the input.
void ExecuteConsoleInput(Client& client, bool echo);

// The console's keys, once per frame right after the keyboard poll.
void HandleConsoleKeys(Client& client);

// Draws the console panel onto the frame.
void DrawConsole(Client& client);

// Registers every console command and sorts the table.
void RegisterCommands(Client& client);

// Opens a script file; the frame loop runs its lines (StepScripts).
void StartScript(Client& client, const std::string& fileName);

// Starts "autoexec.kbs" of the current directory when it exists and is not empty.
void StartAutoexec(Client& client);

}  // namespace kb
