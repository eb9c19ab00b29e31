#include "client/core/text_input.h"

#include <algorithm>
#include <cctype>

#include "client/core/model.h"
#include "common/net/protocol.h"
#include "common/platform/core/address.h"
#include "common/platform/core/input.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

// The key that opens the console is never typed into a field.
constexpr int kConsoleVirtualKey = 220;

bool RepeatDue(int64_t stamp, int64_t now, int delay) { return stamp == 0 || now - stamp > delay; }

bool HostNameValid(std::string_view name) {
  if (name.empty() || name.size() > 253) return false;
  for (;;) {
    std::string_view label = name.substr(0, name.find('.'));
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    for (char c : label)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
    if (label.size() == name.size()) return true;
    name.remove_prefix(label.size() + 1);
  }
}

}  // namespace

void TypeInto(Input& input, TypingState& typing, int64_t now, std::string& text, const TextRule& rule) {
  // The limit is looked at once per frame: keys of the frame that reaches it
  // may still add several characters.
  if (rule.maxLength == 0 || text.size() < rule.maxLength) {
    for (int k = 10; k <= 255; ++k) {
      if (k == kConsoleVirtualKey) continue;
      if (rule.skipEnterAndBackspace && (k == vk::kReturn || k == vk::kBackspace)) continue;
      int64_t& stamp = typing.keyRepeatStamps[k];
      if (!input.AsyncKey(k)) {
        stamp = 0;
        continue;
      }
      if (RepeatDue(stamp, now, rule.repeatDelay)) {
        int ch = input.KeyToChar(k);
        bool accepted =
            rule.allowed.empty() || rule.allowed.find(static_cast<char>(ch)) != std::string_view::npos;
        if (ch != 0 && accepted) text += static_cast<char>(ch);
      }
      if (stamp == 0) stamp = now;
    }
  }
  // An on-screen keyboard's characters come as text, without keys.
  for (char c : input.TypedText()) {
    bool accepted = static_cast<unsigned char>(c) >= 32 && c != '\x7f' &&
                    (rule.allowed.empty() || rule.allowed.find(c) != std::string_view::npos);
    if (accepted && (rule.maxLength == 0 || text.size() < rule.maxLength)) text += c;
  }
  if (text.empty()) return;
  if (input.KeyDown(scan::kBackspace)) {
    if (RepeatDue(typing.backspaceStamp, now, kBackspaceRepeatDelay)) text.pop_back();
    if (typing.backspaceStamp == 0) typing.backspaceStamp = now;
  } else {
    typing.backspaceStamp = 0;
  }
}

bool TakesText(const Model& model) {
  const NetSession& session = model.net.session;
  int state = model.frame.gameState;
  return model.consoleOpen || state == kStateNetLanManual ||
         (state == kStateNet && (session.chatOpen || session.netMode == kModePasswordRequired ||
                                 session.netMode == kModeWrongPassword));
}

void DropPendingKeys(Input& input) {
  for (int k = 0; k < 256; ++k) input.AsyncKey(k);
}

bool ManualAddressValid(std::string_view address) {
  if (address.find_first_not_of("0123456789.") != std::string_view::npos) {
    return ParseIpAddress(WithoutBrackets(address)) || HostNameValid(address);
  }
  if (address.size() <= 7 || std::count(address.begin(), address.end(), '.') != 3) return false;
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    size_t end = part < 3 ? address.find('.', start) : address.size();
    if (end == start) return false;
    start = end + 1;
  }
  return true;
}

bool ManualPortValid(std::string_view port) { return ParseNumberText(port) > 0; }

}  // namespace kb
