#include <windows.h>

#include <cstdio>
#include <mutex>

#include "common/platform/core/latin1.h"
#include "common/platform/sdl/desktop_session.h"
#include "common/platform/sdl/message_box.h"

namespace kb {

// MessageBoxW is modal for the calling thread only, so any thread may show one.
bool ShowMessageBox(const std::string& title, const std::string& text, MessageKind kind) {
  if (DesktopAvailable()) {
    UINT style = MB_SETFOREGROUND | (kind == MessageKind::kYesNo     ? MB_YESNO | MB_ICONQUESTION
                                     : kind == MessageKind::kWarning ? MB_OK | MB_ICONWARNING
                                                                     : MB_OK | MB_ICONINFORMATION);
    int answer = MessageBoxW(nullptr, Utf8ToWide(Latin1ToUtf8(text)).c_str(),
                             Utf8ToWide(Latin1ToUtf8(title)).c_str(), style);
    if (answer != 0) return kind != MessageKind::kYesNo || answer == IDYES;
  }
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fprintf(stderr, "%s: %s\n", Latin1ToUtf8(title).c_str(), Latin1ToUtf8(text).c_str());
  std::fflush(stderr);
  return kind != MessageKind::kYesNo;
}

}  // namespace kb
