#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace kb {

// The program's arguments in UTF-8 (on Windows read as wide characters, so
// names beyond the system's code page survive).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard output carries bytes as written: no CR added before LF on Windows.
void UseBinaryStandardOutput();

// A program with a window of its own was started with a console window that
// no one else shares (double-clicked on Windows): the console goes away.
void ReleaseOwnConsole();

// While it lives, sets the flag when the operator asks the program to end:
// SIGINT or SIGTERM, or a console's Ctrl+C, Ctrl+Break or close on Windows;
// also when the file named by KRINGELBAHN_STOP_FILE appears, the way tests
// ask under wine, which cannot deliver signals. Destroy it once the program
// has finished shutting down: a console being closed waits for that.
class StopRequests {
 public:
  explicit StopRequests(std::atomic<bool>& flag);
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;
  // What asked: "SIGTERM", "SIGINT", "stop file", on Windows "Ctrl+C" and the
  // like; empty when nothing did.
  std::string Reason() const;

 private:
  std::atomic<bool> ended_{false};
  std::atomic<bool> byFile_{false};
  std::thread fileWatch_;
};

}  // namespace kb
