#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "common/platform/core/latin1.h"
#include "common/platform/core/process.h"

namespace kb {

namespace {

std::atomic<bool>* stopFlag = nullptr;
std::atomic<bool> shutdownFinished{false};
std::atomic<int> stopEvent{-1};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (!stopFlag) return FALSE;
  stopEvent = static_cast<int>(event);
  *stopFlag = true;
  // After a close, logoff or shutdown event the system ends the process as
  // soon as the handler returns: wait (within its 5 s grace) for the goodbye.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    for (int i = 0; i < 450 && !shutdownFinished; ++i) Sleep(10);
  }
  return TRUE;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void UseBinaryStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }

void ReleaseOwnConsole() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

void WatchSystemStopRequests(std::atomic<bool>& flag) {
  stopFlag = &flag;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void SystemShutdownFinished() { shutdownFinished = true; }

std::string SystemStopReason() {
  switch (stopEvent) {
    case CTRL_C_EVENT:
      return "Ctrl+C";
    case CTRL_BREAK_EVENT:
      return "Ctrl+Break";
    case CTRL_CLOSE_EVENT:
      return "console closed";
    case CTRL_LOGOFF_EVENT:
      return "user logged off";
    case CTRL_SHUTDOWN_EVENT:
      return "system shutting down";
    default:
      return "";
  }
}

}  // namespace kb
