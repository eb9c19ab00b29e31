#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/platform/core/poller.h"

namespace kb::testing {

// The server program, headless, its standard output read line by line; every
// wait is bounded and the process never outlives the object.
class ServerProcess {
 public:
  ServerProcess(const std::string& binary, std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return;
    if ((pid_ = fork()) == 0) {
      dup2(out[1], STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(binary.c_str())};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(binary.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    output_ = out[0];
  }
  ~ServerProcess() { Finish(true), close(output_); }
  std::string ReadLine(int timeoutMs = 10000) {
    std::string line;
    Poller poller;
    poller.Add(output_, true, false);
    for (char c; poller.Wait(timeoutMs) > 0 && read(output_, &c, 1) == 1 && c != '\n';) line.push_back(c);
    return line;
  }
  // Asks it to shut down and returns at once.
  void Terminate() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  // Ends it without a word, as a crash would.
  void Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0), pid_ = 0;
  }
  // The exit status within 10 s, after SIGTERM when terminate; else killed, -1.
  int Finish(bool terminate) {
    if (pid_ > 0 && terminate) kill(pid_, SIGTERM);
    for (int i = 0, status; pid_ > 0 && i < 200;
         ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
      if (waitpid(pid_, &status, WNOHANG) == pid_)
        return pid_ = 0, WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0), pid_ = 0;
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};

}  // namespace kb::testing
