#pragma once

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace kb::testing {

// A program run as a child with its standard output piped to the test; every
// wait is bounded, and the child never outlives the object.
//
// Signals: SIGTERM and SIGINT ask the child to end; on Windows, which has no signals, by creating the file
// named by KRINGELBAHN_STOP_FILE, which is set for every child and which the programs watch.
class ChildProcess {
 public:
  // argv[0] is searched on PATH unless it holds a slash; env adds or replaces
  // "NAME=value" entries for the child only.
  explicit ChildProcess(std::vector<std::string> argv, std::vector<std::string> env = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int Pid() const { return pid_; }
  // One line without its newline; what came before the time limit or the end of the output otherwise.
  std::string ReadLine(int timeoutMs = 10000);
  // Reads up to `lines` lines until one matches the pattern; the whole match
  // and its groups, or nothing after an empty line, a timeout or `lines` misses.
  std::vector<std::string> Until(const std::string& pattern, int lines = 20);
  // Sends the signal (0: none) and waits up to 10 s for the exit; a child
  // still running then is killed. The exit code, -1 when it ended by a
  // signal (on Windows: was killed or crashed); later calls give the same answer.
  int Finish(int signal);

 private:
  struct System;  // the system's handles
  std::unique_ptr<System> system_;
  int pid_ = -1;
  int code_ = -1;
};

}  // namespace kb::testing
