#include "common/platform/core/process.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include "common/platform/core/files.h"

namespace kb {

// The system's side: signal or console handlers that set the flag, and the
// end of the program's shutdown.
void WatchSystemStopRequests(std::atomic<bool>& flag);
void SystemShutdownFinished();
// Which of the system's requests came ("SIGTERM"...), empty when none did.
std::string SystemStopReason();

StopRequests::StopRequests(std::atomic<bool>& flag) {
  WatchSystemStopRequests(flag);
  const char* stopFile = std::getenv("KRINGELBAHN_STOP_FILE");
  if (!stopFile || !*stopFile) return;
  fileWatch_ = std::thread([this, &flag, path = std::string(stopFile)] {
    while (!ended_) {
      if (FileSize(path) >= 0) {
        byFile_ = true;
        flag = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
}

std::string StopRequests::Reason() const {
  std::string system = SystemStopReason();
  if (!system.empty()) return system;
  return byFile_ ? "stop file" : "";
}

StopRequests::~StopRequests() {
  ended_ = true;
  if (fileWatch_.joinable()) fileWatch_.join();
  SystemShutdownFinished();
}

}  // namespace kb
