#include "client/console/command_registry.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "client/core/client.h"
#include "common/platform/core/files.h"

namespace kb {

int ClearCommand(Client& client, const std::string&, int, const std::string&) {
  ClearConsole(client);
  return 1;
}

int CloseCommand(Client& client, const std::string&, int, const std::string&) {
  client.console.isOpen = 0;
  return 1;
}

int OpenCommand(Client& client, const std::string& args, int, const std::string&) {
  client.console.isOpen = 1;
  client.console.isSmall = ToLower(args) == "small" ? 1 : 0;
  return 1;
}

int SetCommand(Client& client, const std::string& args, int, const std::string&) {
  // Blanks inside quotes arrive protected as byte 2; the next dispatch protects them again.
  std::string input = args.substr(0, kMaxConsoleInput);
  for (char& c : input)
    if (c == '\x02') c = ' ';
  client.console.input = input;
  return 1;
}

void ExecuteConsoleInput(Client& client, bool echo) {
  ConsoleState& console = client.console;
  size_t first = console.input.find_first_not_of(' ');
  size_t last = console.input.find_last_not_of(' ');
  std::string line =
      first == std::string::npos ? std::string() : console.input.substr(first, last - first + 1);
  if (echo) ConsolePrint(client, "> " + line, kConsoleAmber);
  // Emptied before the line runs: an input line "enter" must not run itself forever.
  console.input.clear();
  DispatchCommand(client, line, 0, "");
  console.lastInput = line;
  console.input.clear();
  console.scroll = 0;
}

int EnterCommand(Client& client, const std::string& args, int, const std::string&) {
  ExecuteConsoleInput(client, args.empty() || ParseNumber(args) != 0);
  return 1;
}

int DumpCommand(Client& client, const std::string& args, int fromScript, const std::string&) {
  DumpConsole(client, args, fromScript);
  return 1;
}

int ListCommand(Client& client, const std::string&, int, const std::string&) {
  for (const DirEntry& entry : ListDirectory("*.kbs"))
    if (!entry.isDirectory) ConsolePrint(client, entry.name, kConsoleWhite);
  return 1;
}

}  // namespace kb
