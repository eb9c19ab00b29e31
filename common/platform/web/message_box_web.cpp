#include <emscripten/emscripten.h>
#include <emscripten/threading.h>

#include "common/platform/core/latin1.h"
#include "common/platform/sdl/message_box.h"

namespace kb {

// The browser's own dialogs, which only the page's main thread may open: a
// script's message box waits there for the answer.
bool ShowMessageBox(const std::string& title, const std::string& text, MessageKind kind) {
  std::string message = Latin1ToUtf8(title + "\n\n" + text);
  return MAIN_THREAD_EM_ASM_INT(
      {
        var message = UTF8ToString($0);
        if ($1) return confirm(message) ? 1 : 0;
        alert(message);
        return 1;
      },
      message.c_str(), kind == MessageKind::kYesNo ? 1 : 0);
}

}  // namespace kb
