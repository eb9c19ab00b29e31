#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cwchar>

#include "common/platform/core/files.h"
#include "common/platform/core/latin1.h"
#include "tests/support/child_process.h"

namespace kb::testing {

struct ChildProcess::System {
  HANDLE process = nullptr;
  HANDLE job = nullptr;
  HANDLE output = nullptr;
  std::string stopFile;
};

namespace {

// The code a child killed from here ends with; like a crash's exception code,
// it reads as "ended by a signal".
constexpr UINT kKilledCode = 0xC000013A;

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L'"';
}

// This process's environment with the "NAME=value" entries replaced or added, as CreateProcessW takes it.
std::wstring EnvironmentWith(const std::vector<std::string>& changes) {
  std::vector<std::wstring> entries;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; p && *p; p += std::wcslen(p) + 1) entries.emplace_back(p);
  FreeEnvironmentStringsW(block);
  for (const std::string& change : changes) {
    std::wstring entry = Utf8ToWide(change);
    // Names are compared without letter case; "=C:" entries start with '='.
    std::wstring name = entry.substr(0, entry.find(L'=', 1) + 1);
    std::erase_if(entries, [&](const std::wstring& e) {
      return e.size() >= name.size() && _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0;
    });
    entries.push_back(entry);
  }
  std::wstring environment;
  for (const std::wstring& e : entries) environment += e + L'\0';
  return environment + L'\0' + L'\0';
}

HANDLE Inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
  return copy;
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> env)
    : system_(std::make_unique<System>()) {
  if (argv.empty()) return;
  static std::atomic<int> children{0};
  wchar_t temp[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  system_->stopFile = WideToUtf8(std::wstring(temp, length)) + "kb-stop-" +
                      std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++children);
  DeleteFileW(Utf8ToWide(system_->stopFile).c_str());
  env.insert(env.begin(), "KRINGELBAHN_STOP_FILE=" + system_->stopFile);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&system_->output, &write, &inherit, 0)) return;
  SetHandleInformation(system_->output, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, 0, nullptr);
  startup.hStdOutput = write;
  startup.hStdError = Inheritable(GetStdHandle(STD_ERROR_HANDLE));

  // Closing the job (the test ends, or is killed by its time limit) ends the child and whatever it started.
  system_->job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(system_->job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  std::wstring command;
  for (const std::string& a : argv) command += (command.empty() ? L"" : L" ") + Quoted(Utf8ToWide(a));
  std::wstring environment = EnvironmentWith(env);
  PROCESS_INFORMATION info{};
  bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr,
                                &startup, &info);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!started) {
    // What a shell answers for a program it cannot start.
    pid_ = 0;
    code_ = 127;
    return;
  }
  AssignProcessToJobObject(system_->job, info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  system_->process = info.hProcess;
  pid_ = static_cast<int>(info.dwProcessId);
}

ChildProcess::~ChildProcess() {
  Finish(SIGTERM);
  for (HANDLE h : {system_->process, system_->output, system_->job})
    if (h) CloseHandle(h);
  if (!system_->stopFile.empty()) DeleteFileW(Utf8ToWide(system_->stopFile).c_str());
}

std::string ChildProcess::ReadLine(int timeoutMs) {
  std::string line;
  if (!system_->output) return line;
  // Pipes cannot be polled with sockets: the wait for each byte peeks.
  using Clock = std::chrono::steady_clock;
  auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    DWORD waiting = 0;
    // Fails once the child's end is closed and nothing is left.
    if (!PeekNamedPipe(system_->output, nullptr, 0, nullptr, &waiting, nullptr)) break;
    if (waiting == 0) {
      if (Clock::now() >= end) break;
      Sleep(1);
      continue;
    }
    char c;
    DWORD got = 0;
    if (!ReadFile(system_->output, &c, 1, &got, nullptr) || got != 1 || c == '\n') break;
    line.push_back(c);
    end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  }
  return line;
}

int ChildProcess::Finish(int signal) {
  if (pid_ <= 0) return code_;
  std::FILE* stop = signal ? OpenFile(system_->stopFile, "wb") : nullptr;
  if (stop) std::fclose(stop);
  if (WaitForSingleObject(system_->process, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(system_->process, kKilledCode);
    WaitForSingleObject(system_->process, 5000);
  }
  DWORD status = kKilledCode;
  GetExitCodeProcess(system_->process, &status);
  pid_ = 0;
  // Exception codes (0xC...) are what Windows has for a death by a signal.
  return code_ = status >= 0xC0000000 ? -1 : static_cast<int>(status);
}

}  // namespace kb::testing
