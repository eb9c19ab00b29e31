#include <signal.h>

#include "common/platform/core/process.h"

namespace kb {

namespace {
std::atomic<bool>* stopFlag = nullptr;
std::atomic<int> stopSignal{0};
void RequestStop(int signal) {
  stopSignal = signal;
  *stopFlag = true;
}
}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

void UseBinaryStandardOutput() {}
void ReleaseOwnConsole() {}

void WatchSystemStopRequests(std::atomic<bool>& flag) {
  stopFlag = &flag;
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void SystemShutdownFinished() {}

std::string SystemStopReason() {
  int signal = stopSignal;
  return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "";
}

}  // namespace kb
