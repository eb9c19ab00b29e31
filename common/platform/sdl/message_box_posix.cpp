#include <SDL.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "common/platform/core/latin1.h"
#include "common/platform/sdl/desktop_session.h"
#include "common/platform/sdl/message_box.h"

extern char** environ;

namespace kb {

namespace {

enum class Answer { kYes, kNo, kFailed };

constexpr const char* kChildKind = "KRINGELBAHN_MESSAGE_BOX";
constexpr const char* kChildTitle = "KRINGELBAHN_MESSAGE_BOX_TITLE";
constexpr const char* kChildText = "KRINGELBAHN_MESSAGE_BOX_TEXT";

// Takes UTF-8 text.
Answer ShowWithSdl(const char* title, const char* text, MessageKind kind) {
  static const SDL_MessageBoxButtonData kOk[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"}};
  static const SDL_MessageBoxButtonData kYesNo[] = {{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "Nein"},
                                                    {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, "Ja"}};
  SDL_MessageBoxData data{};
  data.flags = kind == MessageKind::kWarning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  data.title = title;
  data.message = text;
  data.buttons = kind == MessageKind::kYesNo ? kYesNo : kOk;
  data.numbuttons = kind == MessageKind::kYesNo ? 2 : 1;
  int button = -1;
  if (SDL_ShowMessageBox(&data, &button) != 0) return Answer::kFailed;
  return button == 0 ? Answer::kYes : Answer::kNo;
}

// SDL's message box resets the keyboard and cursor of the video subsystem,
// which only its own thread may touch. Other threads show theirs from a child
// process running this program, which shows the box before main and exits.
struct ChildEntry {
  ChildEntry() {
    const char* kind = std::getenv(kChildKind);
    if (!kind) return;
    const char* title = std::getenv(kChildTitle);
    const char* text = std::getenv(kChildText);
    Answer answer =
        ShowWithSdl(title ? title : "", text ? text : "", static_cast<MessageKind>(std::atoi(kind)));
    _exit(answer == Answer::kYes ? 0 : answer == Answer::kNo ? 1 : 2);
  }
} childEntry;

Answer ShowInChild(const std::string& title, const std::string& text, MessageKind kind) {
  std::vector<std::string> settings = {
      std::string(kChildKind) + "=" + std::to_string(static_cast<int>(kind)),
      std::string(kChildTitle) + "=" + title,
      // Far below the system's limit for one environment string.
      std::string(kChildText) + "=" + text.substr(0, 64 * 1024),
  };
  std::vector<char*> environment;
  for (std::string& setting : settings) environment.push_back(setting.data());
  for (char** entry = environ; entry && *entry; ++entry)
    if (std::strncmp(*entry, kChildKind, std::strlen(kChildKind)) != 0) environment.push_back(*entry);
  environment.push_back(nullptr);
  char name[] = "kringelbahn-message-box";
  char* argv[] = {name, nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environment.data()) != 0)
    return Answer::kFailed;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return Answer::kFailed;
  }
  if (!WIFEXITED(status)) return Answer::kFailed;
  int code = WEXITSTATUS(status);
  return code == 0 ? Answer::kYes : code == 1 ? Answer::kNo : Answer::kFailed;
}

void PrintToStandardError(const std::string& title, const std::string& text) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  std::fflush(stderr);
}

}  // namespace

bool ShowMessageBox(const std::string& title, const std::string& text, MessageKind kind) {
  std::string utf8Title = Latin1ToUtf8(title);
  std::string utf8Text = Latin1ToUtf8(text);
  Answer answer = Answer::kFailed;
  if (DesktopAvailable()) {
    if (OnVideoThread()) {
      static std::mutex mutex;
      std::lock_guard lock(mutex);
      answer = ShowWithSdl(utf8Title.c_str(), utf8Text.c_str(), kind);
    } else {
      answer = ShowInChild(utf8Title, utf8Text, kind);
    }
  }
  if (answer == Answer::kFailed) {
    PrintToStandardError(utf8Title, utf8Text);
    return kind != MessageKind::kYesNo;
  }
  return answer == Answer::kYes;
}

}  // namespace kb
