#pragma once

#include <string>

#include "common/platform/core/image.h"

namespace kb {

struct Client;

// Appends a line to the console; any thread.
void ConsolePrint(Client& client, const std::string& text, Colour colour);

// The console's keys, once per frame right after the keyboard poll.
void HandleConsoleKeys(Client& client);

// Draws the console panel onto the frame.
void DrawConsole(Client& client);

// Registers every console command and sorts the table.
void RegisterCommands(Client& client);

// Runs a script file on its own thread.
void StartScript(Client& client, const std::string& fileName);

}  // namespace kb
