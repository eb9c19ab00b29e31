#include "client/console/command_registry.h"

#include <algorithm>

#include "client/console/command_context.h"
#include "client/console/command_text.h"
#include "client/console/console.h"

namespace kb {

namespace {

thread_local int t_nesting = 0;

struct NestingGuard {
  NestingGuard() { ++t_nesting; }
  ~NestingGuard() { --t_nesting; }
};

std::string NoSuchCommand(const std::string& name) { return "Den Befehl \"" + name + "\" gibt es nicht."; }

}  // namespace

void RegisterCommand(ConsoleState& console, CommandHandler handler, const std::string& name,
                     const std::string& help, int hidden) {
  console.commandTable.push_back({std::move(handler), name, help, hidden});
}

void SortCommands(ConsoleState& console) {
  auto& table = console.commandTable;
  std::stable_sort(table.begin(), table.end(),
                   [](const CommandRecord& a, const CommandRecord& b) { return a.name < b.name; });
}

int DispatchCommand(CommandContext& ctx, const std::string& line, int fromScript,
                    const std::string& scriptName) {
  if (t_nesting >= kMaxCommandNesting) return 1;
  NestingGuard guard;

  std::string name = TextField(line, 1);
  std::string args;
  if (line.size() > name.size() + 1) args = line.substr(name.size() + 1);
  if (name.empty()) name = line;
  args = ProtectQuotes(args);

  std::string lowered = ToLower(name);
  for (const CommandRecord& record : ctx.console.commandTable) {
    if (record.name == lowered) return record.handler(ctx, args, fromScript, scriptName);
  }
  if (fromScript == 0 || ctx.model.frame.devMode != 0) ctx.Print(NoSuchCommand(name), kConsoleRed);
  return 1;
}

int HelpCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  if (fromScript != 0) return 1;
  const auto& table = ctx.console.commandTable;
  if (args.empty()) {
    for (const CommandRecord& record : table) {
      if (record.hidden || record.name.empty()) continue;
      std::string name = record.name;
      name[0] = ToUpper(name[0]);
      ctx.Print(name, kConsoleWhite);
    }
    return 1;
  }
  auto found = std::find_if(table.begin(), table.end(), [&](const CommandRecord& record) {
    return record.name == args && !record.hidden;
  });
  if (found == table.end())
    ctx.Print(NoSuchCommand(args), kConsoleRed);
  else
    ctx.Print(found->help, kConsoleWhite);
  return 1;
}

}  // namespace kb
