#include "client/console/command_context.h"
#include "client/console/console.h"
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

void TypeKeys(CommandContext& ctx, int64_t now) {
  ConsoleState& console = ctx.console;
  TypingState& typing = ctx.model.typing;
  Input& input = ctx.model.input;
  bool pasting = input.AsyncKey(vk::kControl) && input.AsyncKey(kVirtualV);
  for (int k = 10; k <= 255; ++k) {
    if (k == vk::kReturn || k == kConsoleVirtualKey || pasting) {
      input.AsyncKey(kConsoleVirtualKey);
      continue;
    }
    int64_t& stamp = typing.keyRepeatStamps[k];
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
  // An on-screen keyboard's characters come as text, without keys.
  Paste(console, input.TypedText());
}

void EditInput(CommandContext& ctx, int64_t now) {
  ConsoleState& console = ctx.console;
  TypingState& typing = ctx.model.typing;
  Input& input = ctx.model.input;
  TypeKeys(ctx, now);

  if (input.KeyDown(scan::kBackspace)) {
    if (RepeatDue(typing.backspaceStamp, now) && !console.input.empty()) console.input.pop_back();
    if (typing.backspaceStamp == 0) typing.backspaceStamp = now;
  } else {
    typing.backspaceStamp = 0;
  }

  if (input.KeyDown(scan::kUp)) {
    if (input.AsyncKey(vk::kControl)) {
      if (!console.recallLatch) console.input = console.lastInput;
      console.recallLatch = 1;
    } else {
      int n = static_cast<int>(ctx.model.consoleLines.Size());
      if (console.scroll < (n - 9) * 20 + 1) console.scroll += 8;
    }
  } else {
    console.recallLatch = 0;
  }

  if (input.KeyDown(scan::kDown) && console.scroll > 0) console.scroll -= 8;

  if (input.KeyDown(scan::kEnter)) {
    if (!ctx.model.frame.enterLatch && !console.input.empty()) {
      ExecuteConsoleInput(ctx, true);
      ctx.model.frame.enterLatch = 1;
    }
  } else {
    ctx.model.frame.enterLatch = 0;
  }

  if (CtrlDown(input) && input.KeyDown(scan::kV)) {
    if (!console.pasteLatch) Paste(console, input.ClipboardText());
    console.pasteLatch = 1;
  } else {
    console.pasteLatch = 0;
  }
}

}  // namespace

void HandleConsoleKeys(CommandContext& ctx) {
  ConsoleState& console = ctx.console;
  TypingState& typing = ctx.model.typing;
  Input& input = ctx.model.input;
  int64_t& consoleKeyLatch = typing.keyRepeatStamps[kConsoleKeyLatch];
  int64_t& devLatch = typing.keyRepeatStamps[kDevToggleLatch];
  bool consoleKey = input.KeyDown(scan::kGrave);

  if (console.enabled == 0 && console.frozen == 0 && CtrlDown(input) && consoleKey) {
    console.isSmall = ShiftDown(input) ? 1 : 0;
    DiscardPendingPresses(input);
    console.enabled = 1;
    ctx.model.consoleOpen = 1;
    consoleKeyLatch = 1;
  }

  if (CtrlDown(input) && input.KeyDown(scan::kD)) {
    if (ctx.model.frame.debugMode != 0 && !devLatch) {
      ctx.model.frame.devMode = 1 - ctx.model.frame.devMode;
      devLatch = 1;
    }
  } else {
    devLatch = 0;
  }

  if (!consoleKey) {
    consoleKeyLatch = 0;
  } else if (console.frozen == 0 && !consoleKeyLatch) {
    if (ctx.model.consoleOpen == 0) {
      if (console.enabled != 0) {
        console.isSmall = ShiftDown(input) ? 1 : 0;
        DiscardPendingPresses(input);
        console.input.clear();
        ctx.model.consoleOpen = 1;
      }
    } else {
      if (console.isSmall)
        console.isSmall = 0;
      else if (input.KeyDown(scan::kTab))
        console.isSmall = 1;
      else
        ctx.model.consoleOpen = 0;
      ctx.model.frame.escapeLatch = 1;
    }
    consoleKeyLatch = 1;
  }

  if (ctx.model.consoleOpen != 0 && console.frozen == 0) {
    if (!input.KeyDown(scan::kEscape))
      ctx.model.frame.escapeLatch = 0;
    else if (!ctx.model.frame.escapeLatch) {
      ctx.model.consoleOpen = 0;
      ctx.model.frame.escapeLatch = 1;
    }
  }

  if (ctx.model.consoleOpen != 0 && console.frozen == 0 && ctx.model.frame.hasKeyboard)
    EditInput(ctx, ctx.model.clock.Now());
}

}  // namespace kb
