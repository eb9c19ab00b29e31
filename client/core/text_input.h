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
// Dotted IPv4, an IPv6 literal (in brackets or not) or a host name: at most
// a host name's 253 characters.
constexpr TextRule kAddressRule{"0123456789.:[]-abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 253,
                                250, false};
constexpr TextRule kPortRule{"0123456789", 5, 250, false};
constexpr TextRule kPasswordRule{{}, 0, 250, true};
constexpr TextRule kChatRule{{}, 0, 200, true};

// One frame's typing into text: every key that is down types once at once,
// then once per frame after the delay; Backspace removes the last character
// the same way.
void TypeInto(Input& input, TypingState& typing, int64_t now, std::string& text, const TextRule& rule);

// Whether a text field takes typing now: the console's line, the manual
// address screen, a network game's chat line or password prompt.
struct Model;
bool TakesText(const Model& model);

// Drops the key presses the asynchronous query still holds, so that keys
// pressed before a text input opened are not typed into it.
void DropPendingKeys(Input& input);

// Text of digits and dots is taken as IPv4 when it is longer than 7
// characters with exactly three dots and no empty part. Anything else must be
// an IPv6 literal (in brackets or not) or a host name: labels of letters,
// digits and inner hyphens, 1 to 63 characters each, 253 in all.
bool ManualAddressValid(std::string_view address);
// Read as a decimal number, above 0.
bool ManualPortValid(std::string_view port);

}  // namespace kb
