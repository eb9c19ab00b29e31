#include "client/console/script_runner.h"

#include <mutex>
#include <new>

#include "client/console/command_registry.h"
#include "client/console/console.h"
#include "client/core/client.h"
#include "common/platform/core/files.h"
#include "common/platform/core/text_file.h"

namespace kb {

namespace {

constexpr int kLinePause = 2;
// No command needs more; a longer line is skipped, not held in memory.
constexpr size_t kMaxScriptLine = 64 * 1024;

// The line lock of the script that runs on this thread, if any.
thread_local std::unique_lock<std::recursive_mutex>* t_lineLock = nullptr;

struct LineLockScope {
  explicit LineLockScope(std::unique_lock<std::recursive_mutex>& lock) { t_lineLock = &lock; }
  ~LineLockScope() { t_lineLock = nullptr; }
};

}  // namespace

std::string ScriptFileName(const std::string& name) {
  size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < name.size();
  return hasExtension ? name : name + ".kbs";
}

void WaitOutsideStateLock(const std::function<void()>& wait) {
  std::unique_lock<std::recursive_mutex>* lock = t_lineLock;
  if (lock == nullptr || !lock->owns_lock()) {
    wait();
    return;
  }
  lock->unlock();
  wait();
  lock->lock();
}

namespace {

void RunLines(Client& client, const std::string& name) {
  TextFileReader reader;
  // Only regular files are scripts: a directory or a device would open and
  // then read as nothing, or as endless empty lines.
  if (FileSize(name) < 0 || !reader.Open(name)) {
    ConsolePrint(client,
                 "\"" + name +
                     "\" konnte nicht ge\xF6"
                     "ffnet werden.",
                 kConsoleRed);
    return;
  }
  ConsolePrint(client, "Starte \"" + name + "\"...", kConsoleWhite);

  std::string line;
  reader.SetLineLimit(kMaxScriptLine);
  while (reader.ReadLine(line)) {
    if (reader.LineTooLong()) {
      ConsolePrint(client, "[" + name + "] Zeile zu lang, nicht ausgef\xFChrt.", kConsoleRed);
      client.clock.Sleep(kLinePause);
      continue;
    }
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) start = line.size();
    if (line.compare(start, 2, "//") == 0) continue;
    int result;
    {
      std::unique_lock lock(client.stateLock);
      // "exit" only asks the frame loop to end; no line runs after it.
      if (client.frame.quit || client.scripts.StopRequested()) return;
      LineLockScope scope(lock);
      result = DispatchCommand(client, line.substr(start), 1, name);
    }
    if (result == 0) return;
    client.clock.Sleep(kLinePause);
  }
}

}  // namespace

void RunScript(Client& client, const std::string& scriptName) {
  std::string name = ScriptFileName(scriptName);
  // An exception must not leave the runner's thread: that would end the
  // program and lose the settings.
  try {
    RunLines(client, name);
  } catch (const std::bad_alloc&) {
    ConsolePrint(client, "[" + name + "] Zu wenig Speicher, Skript beendet.", kConsoleRed);
  } catch (const std::exception&) {
    ConsolePrint(client, "[" + name + "] Fehler, Skript beendet.", kConsoleRed);
  }
}

void StartScript(Client& client, const std::string& fileName) {
  switch (client.scripts.Start([&client, fileName] { RunScript(client, fileName); })) {
    case ScriptRunners::StartResult::kStarted:
      break;
    case ScriptRunners::StartResult::kTooMany:
      ConsolePrint(client, "Zu viele laufende Skripte, \"" + fileName + "\" wird nicht gestartet.",
                   kConsoleRed);
      break;
    case ScriptRunners::StartResult::kNoThread:
      ConsolePrint(client, "\"" + fileName + "\" konnte nicht gestartet werden.", kConsoleRed);
      break;
  }
}

void StartAutoexec(Client& client) {
  if (FileSize("autoexec.kbs") > 0) StartScript(client, "autoexec.kbs");
}

}  // namespace kb
