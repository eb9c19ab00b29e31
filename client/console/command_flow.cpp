#include "client/console/command_context.h"
#include "client/console/command_registry.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "client/console/script_runner.h"
#include "client/core/network_hooks.h"
#include "common/platform/sdl/message_box.h"

namespace kb {

namespace {

// Typed at the console, the box holds the game as a modal dialog does; in a
// script it waits apart, and only that script waits for it.
void ShowMessage(CommandContext& ctx, const std::string& text, bool warning) {
  auto show = [hook = ctx.console.hooks.messageBox, text, warning] {
    if (hook)
      hook("Kringelbahn", text, warning);
    else
      ShowMessageBox("Kringelbahn", text, warning ? MessageKind::kWarning : MessageKind::kInfo);
  };
  if (ScriptCursor* script = ctx.scripts.current)
    script->box = ShowApart(show);
  else
    show();
}

// The argument text after the first occurrence of word and the one
// character behind it (a plain search: the word may sit inside an earlier one).
std::string RestAfter(const std::string& args, const std::string& word) {
  size_t skip = args.find(word) + word.size() + 1;
  return skip < args.size() ? args.substr(skip) : std::string();
}

}  // namespace

int IfCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string& scriptName) {
  const ConsoleState& console = ctx.console;
  std::string w1 = TextField(args, 1);
  std::string w2 = TextField(args, 2);
  bool holds = false;
  std::string word;
  if (w1 == "mode") {
    int state = ctx.model.frame.gameState;
    if (ToLower(w2) == "not") {
      word = TextField(args, 3);
      holds = state != ParseNumber(word);
    } else {
      word = w2;
      holds = state == ParseNumber(word);
    }
  } else if (w1 == "open" || w1 == "small") {
    word = w1;
    holds = (w1 == "open" ? ctx.model.consoleOpen : console.isSmall) != 0;
  } else if (w1 == "not" && (w2 == "open" || w2 == "small")) {
    word = w2;
    holds = (w2 == "open" ? ctx.model.consoleOpen : console.isSmall) == 0;
  } else {
    return 1;
  }
  // The nested result is dropped: "end" inside "if" does not stop a script.
  if (holds) DispatchCommand(ctx, RestAfter(args, word), fromScript, scriptName);
  return 1;
}

int EndCommand(CommandContext&, const std::string&, int, const std::string&) { return 0; }

int DelayCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  if (fromScript == 0) return 1;
  // Its next line runs once more than ms have passed.
  DelayScript(ctx, ctx.model.clock.Now() + ParseNumber(args) + 1);
  return 1;
}

int ExecCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  if (!args.empty()) StartScript(ctx, args);
  return 1;
}

int ExitCommand(CommandContext& ctx, const std::string&, int, const std::string&) {
  if (ctx.model.frame.gameState == kStateNet) LeaveServer(ctx.model);
  // The frame loop saves the settings and closes the display on the main thread.
  ctx.model.frame.quit = true;
  return 1;
}

int AlertCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  ShowMessage(ctx, args, false);
  return 1;
}

int ErrorCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  ShowMessage(ctx, args, true);
  return 1;
}

}  // namespace kb
