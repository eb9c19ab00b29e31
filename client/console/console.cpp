#include "client/console/console.h"

#include "client/core/client.h"

// Placeholder until the console lands; replaced by its owner.
namespace kb {

void ConsolePrint(Client& client, const std::string& text, Colour colour) {
  client.console.lines.Print(text, colour);
}
void HandleConsoleKeys(Client&) {}
void DrawConsole(Client&) {}
void RegisterCommands(Client&) {}
void StartScript(Client&, const std::string&) {}

}  // namespace kb
