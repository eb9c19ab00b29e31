#include <gtest/gtest.h>

#include "common/platform/core/keys.h"
#include "tests/client/console_test_client.h"

namespace kb {
namespace {

constexpr int kVkA = 65;
constexpr int kVkB = 66;
constexpr int kVkV = 86;
constexpr int kVkConsole = 220;

struct KeysClient : ConsoleTestClient {
  KeysClient(bool open = true) {
    // clang-format off
    for (auto [key, ch] : {std::pair{kVkA, 'a'}, {kVkB, 'b'}, {kVkV, 'v'}, {kVkConsole, '^'}, {vk::kSpace, ' '}, {vk::kReturn, '\r'}})
      // clang-format on
      input.MapChar(key, ch);
    if (open) {
      console.enabled = 1;
      Tap(scan::kGrave);
    }
  }
  void Frame(int ms = 1) {
    clock.Advance(ms);
    input.Poll();
    HandleConsoleKeys(client);
  }
  void Hold(int scanCode, bool down = true) {
    input.SetKey(scanCode, down);
    Frame();
  }
  void Tap(int scanCode) {
    Hold(scanCode);
    Hold(scanCode, false);
  }
  void Type(int virtualKey) {
    for (bool down : {true, false}) input.SetVirtualKey(virtualKey, down), Frame();
  }
  // The console's switches as one word each, and the input.
  std::string State() const {
    const ConsoleState& c = client.console;
    return std::string(c.enabled ? "enabled" : "locked") + (c.isOpen ? " open" : "") +
           (c.isSmall ? " small" : "") + " '" + c.input + "'";
  }
  ConsoleState& console = client.console;
};

TEST(ConsoleKeys, OpeningAndClosing) {
  KeysClient k(false);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "locked ''");
  // Ctrl + Shift + console key unlocks and opens small.
  k.input.SetKey(scan::kRightCtrl, true);
  k.input.SetKey(scan::kLeftShift, true);
  k.Hold(scan::kGrave);
  k.Frame();  // the same held press does not close it again
  EXPECT_EQ(k.State(), "enabled open small ''");
  k.input.SetKey(scan::kRightCtrl, false);
  k.input.SetKey(scan::kLeftShift, false);
  k.Hold(scan::kGrave, false);
  // The console key grows a small console, Tab + console key shrinks it, a full one closes.
  k.console.input = "old";
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "enabled open 'old'");
  k.input.SetKey(scan::kTab, true);
  k.Tap(scan::kGrave);
  k.input.SetKey(scan::kTab, false);
  EXPECT_EQ(k.State(), "enabled open small 'old'");
  k.Tap(scan::kGrave);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "enabled 'old'");
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "enabled open ''");  // opening empties the input
}

TEST(ConsoleKeys, FrozenIgnoresKeysButNotTheDevToggle) {
  KeysClient k(false);
  k.console.frozen = 1;
  k.input.SetKey(scan::kLeftCtrl, true);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "locked ''");
  k.client.frame.debugMode = 1;
  k.Hold(scan::kD);
  k.Frame();
  EXPECT_EQ(k.client.frame.devMode, 1);  // once per press
}

TEST(ConsoleKeys, TypingRepeatsAfter250Ms) {
  KeysClient k;
  k.input.SetVirtualKey(kVkA, true);
  k.Frame();
  k.Frame(250);  // exactly 250 ms: not yet
  EXPECT_EQ(k.console.input, "a");
  k.Frame();
  k.input.SetVirtualKey(kVkA, false);
  k.Type(kVkB);
  EXPECT_EQ(k.console.input, "aab");
  // Backspace repeats the same way and stops at an empty input.
  k.Hold(scan::kBackspace);
  for (int i = 0; i < 10; ++i) k.Frame(250);
  EXPECT_EQ(k.console.input, "");
}

TEST(ConsoleKeys, WhatIsTyped) {
  KeysClient k;
  k.Type(vk::kReturn);
  k.Type(kVkConsole);
  // While Ctrl + V is held nothing else is typed.
  for (int key : {vk::kControl, kVkV, kVkA}) k.input.SetVirtualKey(key, true);
  k.Frame();
  EXPECT_EQ(k.console.input, "");
  for (int key : {vk::kControl, kVkV, kVkA}) k.input.SetVirtualKey(key, false);
  k.Frame();
  k.console.input.clear();
  // Ctrl + V pastes once per press.
  k.input.SetClipboard("echo p");
  k.input.SetKey(scan::kLeftCtrl, true);
  k.Hold(scan::kV);
  k.Frame();
  k.Hold(scan::kV, false);
  k.Hold(scan::kV);
  EXPECT_EQ(k.console.input, "echo pecho p");
  // Nothing is typed without focus, except in full screen, which has none to lose.
  k.input.SetKey(scan::kLeftCtrl, false);
  k.console.input.clear();
  k.display.focus = false;
  k.Type(kVkA);
  EXPECT_EQ(k.console.input, "");
  k.client.config.fullScreenMode = 1;
  k.Type(kVkA);
  EXPECT_EQ(k.console.input, "a");
}

TEST(ConsoleKeys, ScrollBound) {
  // 8 lines never scroll, 9 once, and 20 stop at 224.
  for (auto [lines, bound] : {std::pair{8, 0}, {9, 8}, {20, 224}}) {
    KeysClient k;
    for (int i = 0; i < lines; ++i) ConsolePrint(k.client, "line", kConsoleWhite);
    k.input.SetKey(scan::kUp, true);
    for (int i = 0; i < 100; ++i) k.Frame();
    EXPECT_EQ(k.console.scroll, bound) << lines;
    k.input.SetKey(scan::kUp, false);
    k.input.SetKey(scan::kDown, true);
    for (int i = 0; i < 100; ++i) k.Frame();
    EXPECT_EQ(k.console.scroll, 0);
  }
}

TEST(ConsoleKeys, EnterRunsTheTrimmedLineAndCtrlUpRecallsIt) {
  KeysClient k;
  k.console.scroll = 16;
  k.console.input = "  echo  hi  ";
  k.Hold(scan::kEnter);
  k.console.input = "echo again";
  k.Frame();  // still the same press
  k.Hold(scan::kEnter, false);
  EXPECT_EQ(k.Texts(), (Strings{"> echo  hi", " hi"}));
  EXPECT_EQ(k.Colours().at(0), kConsoleAmber);
  EXPECT_EQ(k.console.scroll, 0);

  k.input.SetVirtualKey(vk::kControl, true);
  k.Hold(scan::kUp);
  k.console.input = "edited";
  k.Frame();  // recalled once per press
  EXPECT_EQ(k.console.input, "edited");
  k.Hold(scan::kUp, false);
  k.Hold(scan::kUp);
  EXPECT_EQ(k.console.input, "echo  hi");
}

}  // namespace
}  // namespace kb
