#include "client/console/script_runner.h"

#include <algorithm>
#include <new>

#include "client/console/command_context.h"
#include "client/console/command_registry.h"
#include "client/console/console.h"
#include "common/platform/core/files.h"

namespace kb {

namespace {

constexpr int kLinePause = 2;
// No command needs more; a longer line is skipped, not held in memory.
constexpr size_t kMaxScriptLine = 64 * 1024;

// Runs the cursor's next line that is no comment; false when the script ends.
bool RunNextLine(CommandContext& ctx, ScriptCursor& cursor) {
  std::string line;
  while (cursor.reader.ReadLine(line)) {
    int64_t now = ctx.model.clock.Now();
    if (cursor.reader.LineTooLong()) {
      ctx.Print("[" + cursor.name + "] Zeile zu lang, nicht ausgef\xFChrt.", kConsoleRed);
      cursor.due = now + kLinePause;
      return true;
    }
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) start = line.size();
    if (line.compare(start, 2, "//") == 0) continue;
    cursor.due = now;
    ctx.scripts.current = &cursor;
    int result = DispatchCommand(ctx, line.substr(start), 1, cursor.name);
    ctx.scripts.current = nullptr;
    // "exit" only asks the frame loop to end; no line runs after it.
    if (result == 0 || ctx.model.frame.quit) return false;
    cursor.due += kLinePause;
    return true;
  }
  return false;
}

}  // namespace

std::string ScriptFileName(const std::string& name) {
  size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < name.size();
  return hasExtension ? name : name + ".kbs";
}

void StepScripts(CommandContext& ctx) {
  auto& cursors = ctx.scripts.cursors;
  // Scripts that a line starts run from the next pass on.
  for (size_t i = 0, n = cursors.size(); i < n && !ctx.model.frame.quit; ++i) {
    ScriptCursor& cursor = *cursors[i];
    if (cursor.box) {
      if (!cursor.box->load()) continue;
      cursor.box.reset();
      cursor.due = ctx.model.clock.Now() + kLinePause;
    }
    if (ctx.model.clock.Now() < cursor.due) continue;
    try {
      cursor.ended = !RunNextLine(ctx, cursor);
    } catch (const std::bad_alloc&) {
      ctx.Print("[" + cursor.name + "] Zu wenig Speicher, Skript beendet.", kConsoleRed);
      cursor.ended = true;
    } catch (const std::exception&) {
      ctx.Print("[" + cursor.name + "] Fehler, Skript beendet.", kConsoleRed);
      cursor.ended = true;
    }
    ctx.scripts.current = nullptr;
  }
  if (ctx.model.frame.quit) cursors.clear();
  std::erase_if(cursors, [](const std::unique_ptr<ScriptCursor>& cursor) { return cursor->ended; });
}

void DelayScript(CommandContext& ctx, int64_t until) {
  if (ScriptCursor* cursor = ctx.scripts.current) cursor->due = std::max(cursor->due, until);
}

void StartScript(CommandContext& ctx, const std::string& fileName) {
  if (ctx.scripts.Running() >= Scripts::kMaxRunning) {
    ctx.Print("Zu viele laufende Skripte, \"" + fileName + "\" wird nicht gestartet.", kConsoleRed);
    return;
  }
  std::string name = ScriptFileName(fileName);
  auto cursor = std::make_unique<ScriptCursor>();
  // Only regular files are scripts: a directory or a device would open and
  // then read as nothing, or as endless empty lines.
  if (FileSize(name) < 0 || !cursor->reader.Open(name)) {
    ctx.Print("\"" + name +
                  "\" konnte nicht ge\xF6"
                  "ffnet werden.",
              kConsoleRed);
    return;
  }
  ctx.Print("Starte \"" + name + "\"...", kConsoleWhite);
  cursor->name = name;
  cursor->reader.SetLineLimit(kMaxScriptLine);
  cursor->due = ctx.model.clock.Now();
  ctx.scripts.cursors.push_back(std::move(cursor));
}

void StartAutoexec(CommandContext& ctx) {
  if (FileSize("autoexec.kbs") > 0) StartScript(ctx, "autoexec.kbs");
}

}  // namespace kb
