#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace kb {

enum class MessageKind { kInfo, kWarning, kYesNo };

// A modal message box with title and text (Latin-1). Callable from any thread;
// it blocks only the caller. Without a display the title and text go to
// standard error instead. True for OK or Yes; a Yes/No question that cannot be
// shown counts as No.
bool ShowMessageBox(const std::string& title, const std::string& text, MessageKind kind);

// Runs show (a blocking dialog) on a thread of its own for a caller that goes
// on meanwhile; the flag turns true once it returned. Where no thread starts
// (always in the browser), it runs at once. A dialog still open when the
// program ends is left to it.
std::shared_ptr<const std::atomic<bool>> ShowApart(std::function<void()> show);
// How many of those are still open.
int OpenApart();

}  // namespace kb
