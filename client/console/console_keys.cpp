#include "client/console/console.h"
#include "client/core/client.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

constexpr int kRepeatDelay = 250;
// The virtual key of the key left of 1; it opens the console and is never typed.
constexpr int kConsoleVirtualKey = 220;
constexpr int kVirtualV = 86;

bool CtrlDown(Input& input) { return input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl); }
bool ShiftDown(Input& input) { return input.KeyDown(scan::kLeftShift) || input.KeyDown(scan::kRightShift); }

void DiscardPendingPresses(Input& input) {
  for (int k = 0; k < 256; ++k) input.AsyncKey(k);
}

// The clipboard up to its first line break: one console line holds one
// command; other control bytes are dropped.
void Paste(ConsoleState& console, const std::string& text) {
  for (char c : text) {
    if (c == '\r' || c == '\n' || console.input.size() >= kMaxConsoleInput) break;
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte != 127) console.input += c;
  }
}

bool RepeatDue(int64_t stamp, int64_t now) { return stamp == 0 || now - stamp > kRepeatDelay; }

void TypeKeys(Client& client, int64_t now) {
  ConsoleState& console = client.console;
  Input& input = client.input;
  bool pasting = input.AsyncKey(vk::kControl) && input.AsyncKey(kVirtualV);
  for (int k = 10; k <= 255; ++k) {
    if (k == vk::kReturn || k == kConsoleVirtualKey || pasting) {
      input.AsyncKey(kConsoleVirtualKey);
      continue;
    }
    int64_t& stamp = console.keyRepeatStamps[k];
    if (!input.AsyncKey(k)) {
      stamp = 0;
      continue;
    }
    if (RepeatDue(stamp, now)) {
      int ch = input.KeyToChar(k);
      if (ch != 0 && console.input.size() < kMaxConsoleInput) console.input += static_cast<char>(ch);
    }
    if (stamp == 0) stamp = now;
  }
}

void EditInput(Client& client, int64_t now) {
  ConsoleState& console = client.console;
  Input& input = client.input;
  TypeKeys(client, now);

  if (input.KeyDown(scan::kBackspace)) {
    if (RepeatDue(console.backspaceStamp, now) && !console.input.empty()) console.input.pop_back();
    if (console.backspaceStamp == 0) console.backspaceStamp = now;
  } else {
    console.backspaceStamp = 0;
  }

  if (input.KeyDown(scan::kUp)) {
    if (input.AsyncKey(vk::kControl)) {
      if (!console.recallLatch) console.input = console.lastInput;
      console.recallLatch = 1;
    } else {
      int n = static_cast<int>(console.lines.Size());
      if (console.scroll < (n - 9) * 20 + 1) console.scroll += 8;
    }
  } else {
    console.recallLatch = 0;
  }

  if (input.KeyDown(scan::kDown) && console.scroll > 0) console.scroll -= 8;

  if (input.KeyDown(scan::kEnter)) {
    if (!client.frame.enterLatch && !console.input.empty()) {
      ExecuteConsoleInput(client, true);
      client.frame.enterLatch = 1;
    }
  } else {
    client.frame.enterLatch = 0;
  }

  if (CtrlDown(input) && input.KeyDown(scan::kV)) {
    if (!console.pasteLatch) Paste(console, input.ClipboardText());
    console.pasteLatch = 1;
  } else {
    console.pasteLatch = 0;
  }
}

}  // namespace

void HandleConsoleKeys(Client& client) {
  ConsoleState& console = client.console;
  Input& input = client.input;
  int64_t& consoleKeyLatch = console.keyRepeatStamps[kConsoleKeyLatch];
  int64_t& devLatch = console.keyRepeatStamps[kDevToggleLatch];
  bool consoleKey = input.KeyDown(scan::kGrave);

  if (console.enabled == 0 && console.frozen == 0 && CtrlDown(input) && consoleKey) {
    console.isSmall = ShiftDown(input) ? 1 : 0;
    DiscardPendingPresses(input);
    console.enabled = 1;
    console.isOpen = 1;
    consoleKeyLatch = 1;
  }

  if (CtrlDown(input) && input.KeyDown(scan::kD)) {
    if (client.frame.debugMode != 0 && !devLatch) {
      client.frame.devMode = 1 - client.frame.devMode;
      devLatch = 1;
    }
  } else {
    devLatch = 0;
  }

  if (!consoleKey) {
    consoleKeyLatch = 0;
  } else if (console.frozen == 0 && !consoleKeyLatch) {
    if (console.isOpen == 0) {
      if (console.enabled != 0) {
        console.isSmall = ShiftDown(input) ? 1 : 0;
        DiscardPendingPresses(input);
        console.input.clear();
        console.isOpen = 1;
      }
    } else {
      if (console.isSmall)
        console.isSmall = 0;
      else if (input.KeyDown(scan::kTab))
        console.isSmall = 1;
      else
        console.isOpen = 0;
      client.frame.escapeLatch = 1;
    }
    consoleKeyLatch = 1;
  }

  if (console.isOpen != 0 && console.frozen == 0) {
    if (!input.KeyDown(scan::kEscape))
      client.frame.escapeLatch = 0;
    else if (!client.frame.escapeLatch) {
      console.isOpen = 0;
      client.frame.escapeLatch = 1;
    }
  }

  bool hasKeyboard = client.config.fullScreenMode != 0 || client.display.HasFocus();
  if (console.isOpen != 0 && console.frozen == 0 && hasKeyboard) EditInput(client, client.clock.Now());
}

}  // namespace kb
