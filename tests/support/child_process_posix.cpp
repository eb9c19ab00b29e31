#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/platform/core/poller.h"
#include "tests/support/child_process.h"

namespace kb::testing {

struct ChildProcess::System {
  int output = -1;
};

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> env)
    : system_(std::make_unique<System>()) {
  int out[2];
  // Close-on-exec, so children started later do not hold this pipe open.
  if (argv.empty() || pipe2(out, O_CLOEXEC) != 0) return;
  if ((pid_ = fork()) == 0) {
    // A test killed by its time limit must not leave its programs running.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(out[1], STDOUT_FILENO);
    for (std::string& e : env) putenv(e.data());
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  system_->output = out[0];
}

ChildProcess::~ChildProcess() {
  Finish(SIGTERM);
  if (system_->output >= 0) close(system_->output);
}

std::string ChildProcess::ReadLine(int timeoutMs) {
  std::string line;
  int output = system_->output;
  if (output < 0) return line;
  Poller poller;
  poller.Add(output, true, false);
  for (char c; poller.Wait(timeoutMs) > 0 && read(output, &c, 1) == 1 && c != '\n';) line.push_back(c);
  return line;
}

int ChildProcess::Finish(int signal) {
  if (pid_ <= 0) return code_;
  if (signal) kill(pid_, signal);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 200 && !(ended = waitpid(pid_, &status, WNOHANG) == pid_); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (!ended) kill(pid_, SIGKILL), waitpid(pid_, &status, 0), status = -1;
  pid_ = 0;
  return code_ = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kb::testing
