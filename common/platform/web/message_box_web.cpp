#include <emscripten/emscripten.h>

#include "common/platform/core/latin1.h"
#include "common/platform/sdl/message_box.h"

namespace kb {

// The browser's own dialogs: the page's one thread waits in them for the answer.
bool ShowMessageBox(const std::string& title, const std::string& text, MessageKind kind) {
  std::string message = Latin1ToUtf8(title + "\n\n" + text);
  return EM_ASM_INT(
      {
        var message = UTF8ToString($0);
        if ($1) return confirm(message) ? 1 : 0;
        alert(message);
        return 1;
      },
      message.c_str(), kind == MessageKind::kYesNo ? 1 : 0);
}

}  // namespace kb
