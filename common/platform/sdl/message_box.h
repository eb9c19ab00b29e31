#pragma once

#include <string>

namespace kb {

enum class MessageKind { kInfo, kWarning, kYesNo };

// A modal message box with title and text (Latin-1). Callable from any thread;
// it blocks only the caller. Without a display the title and text go to
// standard error instead. True for OK or Yes; a Yes/No question that cannot be
// shown counts as No.
bool ShowMessageBox(const std::string& title, const std::string& text, MessageKind kind);

}  // namespace kb
