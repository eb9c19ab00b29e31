#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

class Input;
struct ConsoleState;

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
// the same way. The repeat stamps are the console's (shared with its line).
void TypeInto(Input& input, ConsoleState& console, int64_t now, std::string& text, const TextRule& rule);

// Drops the key presses the asynchronous query still holds, so that keys
// pressed before a text input opened are not typed into it.
void DropPendingKeys(Input& input);

// Longer than 7 characters, exactly three dots, no empty part.
bool ManualAddressValid(std::string_view address);
// Read as a decimal number, above 0.
bool ManualPortValid(std::string_view port);

}  // namespace kb
