#include "client/console/command_context.h"
#include "client/console/command_registry.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "common/platform/core/files.h"

namespace kb {

int ClearCommand(CommandContext& ctx, const std::string&, int, const std::string&) {
  ClearConsole(ctx.model.consoleLines);
  return 1;
}

int CloseCommand(CommandContext& ctx, const std::string&, int, const std::string&) {
  ctx.model.consoleOpen = 0;
  return 1;
}

int OpenCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  ctx.model.consoleOpen = 1;
  ctx.console.isSmall = ToLower(args) == "small" ? 1 : 0;
  return 1;
}

int SetCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  // Blanks inside quotes arrive protected as byte 2; the next dispatch protects them again.
  std::string input = args.substr(0, kMaxConsoleInput);
  for (char& c : input)
    if (c == '\x02') c = ' ';
  ctx.console.input = input;
  return 1;
}

void ExecuteConsoleInput(CommandContext& ctx, bool echo) {
  ConsoleState& console = ctx.console;
  size_t first = console.input.find_first_not_of(' ');
  size_t last = console.input.find_last_not_of(' ');
  std::string line =
      first == std::string::npos ? std::string() : console.input.substr(first, last - first + 1);
  if (echo) ctx.Print("> " + line, kConsoleAmber);
  // Emptied before the line runs: an input line "enter" must not run itself forever.
  console.input.clear();
  DispatchCommand(ctx, line, 0, "");
  console.lastInput = line;
  console.input.clear();
  console.scroll = 0;
}

int EnterCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  ExecuteConsoleInput(ctx, args.empty() || ParseNumber(args) != 0);
  return 1;
}

int DumpCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  DumpConsole(ctx.model.consoleLines, args, fromScript);
  return 1;
}

int ListCommand(CommandContext& ctx, const std::string&, int, const std::string&) {
  for (const DirEntry& entry : ListDirectory("*.kbs"))
    if (!entry.isDirectory) ctx.Print(entry.name, kConsoleWhite);
  return 1;
}

}  // namespace kb
