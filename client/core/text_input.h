#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

class Input;

constexpr int kKeyStampCount = 302;
// Entries of keyRepeatStamps that double as press latches.
constexpr int kConsoleKeyLatch = 220;
constexpr int kDevToggleLatch = 260;

// Typing state shared by the console's line and the text fields: per virtual
// key the time it went down while typing (0 while up), the same for
// Backspace, and the caret's blink.
struct TypingState {
  std::array<int64_t, kKeyStampCount> keyRepeatStamps{};
  int64_t backspaceStamp = 0;
  int caretOn = 0;
  int64_t caretTime = 0;
};

// How one text takes typing.
struct TextRule {
  // The characters accepted; empty accepts every character.
  std::string_view allowed;
  // 0: no limit.
  size_t maxLength = 0;
  // Time a held key waits before it repeats once per frame.
  int repeatDelay = 250;
  // The password and the chat line do not take Enter and Backspace as characters.
  bool skipEnterAndBackspace = false;
};

constexpr int kBackspaceRepeatDelay = 250;
constexpr TextRule kAddressRule{"0123456789.", 15, 250, false};
constexpr TextRule kPortRule{"0123456789", 5, 250, false};
constexpr TextRule kPasswordRule{{}, 0, 250, true};
constexpr TextRule kChatRule{{}, 0, 200, true};

// One frame's typing into text: every key that is down types once at once,
// then once per frame after the delay; Backspace removes the last character
// the same way.
void TypeInto(Input& input, TypingState& typing, int64_t now, std::string& text, const TextRule& rule);

// Drops the key presses the asynchronous query still holds, so that keys
// pressed before a text input opened are not typed into it.
void DropPendingKeys(Input& input);

// Longer than 7 characters, exactly three dots, no empty part.
bool ManualAddressValid(std::string_view address);
// Read as a decimal number, above 0.
bool ManualPortValid(std::string_view port);

}  // namespace kb
