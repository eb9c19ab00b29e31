#include <gtest/gtest.h>

#include "common/platform/core/keys.h"
#include "tests/client/console_test_client.h"

namespace kb {
namespace {

using Strings = std::vector<std::string>;

constexpr int kVkA = 65;
constexpr int kVkB = 66;
constexpr int kVkV = 86;
constexpr int kVkConsole = 220;

struct KeysClient : ConsoleTestClient {
  KeysClient() {
    input.MapChar(kVkA, 'a');
    input.MapChar(kVkB, 'b');
    input.MapChar(kVkV, 'v');
    input.MapChar(kVkConsole, '^');
    input.MapChar(vk::kSpace, ' ');
  }
  void Frame(int ms = 1) {
    clock.Advance(ms);
    input.Poll();
    HandleConsoleKeys(client);
  }
  void Tap(int scanCode) {
    input.SetKey(scanCode, true);
    Frame();
    input.SetKey(scanCode, false);
    Frame();
  }
  void Type(int virtualKey) {
    input.SetVirtualKey(virtualKey, true);
    Frame();
    input.SetVirtualKey(virtualKey, false);
    Frame();
  }
  void OpenUnlocked() {
    client.console.enabled = 1;
    Tap(scan::kGrave);
    ASSERT_EQ(client.console.isOpen, 1);
  }
  ConsoleState& console() { return client.console; }
};

TEST(ConsoleKeys, LockedUntilCtrlAndTheConsoleKey) {
  KeysClient k;
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.console().isOpen, 0);
  k.input.SetKey(scan::kRightCtrl, true);
  k.input.SetKey(scan::kLeftShift, true);
  k.input.SetVirtualKey(kVkA, true);
  k.input.SetVirtualKey(kVkA, false);  // a press pending since the last query
  k.input.SetKey(scan::kGrave, true);
  k.Frame();
  EXPECT_EQ(k.console().enabled, 1);
  EXPECT_EQ(k.console().isOpen, 1);
  EXPECT_EQ(k.console().isSmall, 1);
  // The same held press does not close it again, and the pending "a" was dropped.
  k.Frame();
  EXPECT_EQ(k.console().isOpen, 1);
  EXPECT_EQ(k.console().input, "");
}

TEST(ConsoleKeys, ConsoleKeyOpensFullSmallAndCloses) {
  KeysClient k;
  k.console().enabled = 1;
  k.console().input = "old";
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.console().isOpen, 1);
  EXPECT_EQ(k.console().isSmall, 0);
  EXPECT_EQ(k.console().input, "");
  // Tab + console key shrinks it; the console key again grows it back.
  k.input.SetKey(scan::kTab, true);
  k.Tap(scan::kGrave);
  k.input.SetKey(scan::kTab, false);
  EXPECT_EQ(k.console().isSmall, 1);
  EXPECT_EQ(k.console().isOpen, 1);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.console().isSmall, 0);
  EXPECT_EQ(k.console().isOpen, 1);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.console().isOpen, 0);
  EXPECT_EQ(k.client.frame.escapeLatch, 1);
  // Shift opens the small console.
  k.input.SetKey(scan::kRightShift, true);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.console().isSmall, 1);
}

TEST(ConsoleKeys, EscapeClosesOncePerPress) {
  KeysClient k;
  k.OpenUnlocked();
  k.client.frame.escapeLatch = 1;
  k.input.SetKey(scan::kEscape, true);
  k.Frame();
  EXPECT_EQ(k.console().isOpen, 1);
  k.input.SetKey(scan::kEscape, false);
  k.Frame();
  EXPECT_EQ(k.client.frame.escapeLatch, 0);
  k.input.SetKey(scan::kEscape, true);
  k.Frame();
  EXPECT_EQ(k.console().isOpen, 0);
  EXPECT_EQ(k.client.frame.escapeLatch, 1);
}

TEST(ConsoleKeys, FrozenIgnoresKeysButNotTheDevToggle) {
  KeysClient k;
  k.console().frozen = 1;
  k.input.SetKey(scan::kLeftCtrl, true);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.console().enabled, 0);
  EXPECT_EQ(k.console().isOpen, 0);
  k.client.frame.debugMode = 1;
  k.input.SetKey(scan::kD, true);
  k.Frame();
  k.Frame();
  EXPECT_EQ(k.client.frame.devMode, 1);
  k.input.SetKey(scan::kD, false);
  k.Frame();
  k.Tap(scan::kD);
  EXPECT_EQ(k.client.frame.devMode, 0);
  k.client.frame.debugMode = 0;
  k.Tap(scan::kD);
  EXPECT_EQ(k.client.frame.devMode, 0);
}

TEST(ConsoleKeys, HeldKeyTypesOnceThenRepeatsAfter250Ms) {
  KeysClient k;
  k.OpenUnlocked();
  k.input.SetVirtualKey(kVkA, true);
  k.Frame();
  EXPECT_EQ(k.console().input, "a");
  k.Frame(100);
  k.Frame(150);  // exactly 250 ms: not yet
  EXPECT_EQ(k.console().input, "a");
  k.Frame(1);
  k.Frame(1);
  EXPECT_EQ(k.console().input, "aaa");
  k.input.SetVirtualKey(kVkA, false);
  k.Frame();
  EXPECT_EQ(k.console().keyRepeatStamps[kVkA], 0);
  k.Type(kVkB);
  k.Type(vk::kSpace);
  k.Type(kVkA);
  EXPECT_EQ(k.console().input, "aaab a");
}

TEST(ConsoleKeys, ConsoleKeyReturnAndCtrlVAreNeverTyped) {
  KeysClient k;
  k.OpenUnlocked();
  k.input.MapChar(vk::kReturn, '\r');
  k.Type(vk::kReturn);
  k.Type(kVkConsole);
  k.input.SetVirtualKey(vk::kControl, true);
  k.input.SetVirtualKey(kVkV, true);
  k.input.SetVirtualKey(kVkA, true);
  k.Frame();
  EXPECT_EQ(k.console().input, "");
  k.input.SetVirtualKey(vk::kControl, false);
  k.Frame();
  // V typed once Ctrl is gone; A as well (its press is still pending).
  EXPECT_EQ(k.console().input, "av");
}

TEST(ConsoleKeys, CtrlVPastesOncePerPress) {
  KeysClient k;
  k.OpenUnlocked();
  k.input.SetClipboard("echo pasted");
  k.input.SetKey(scan::kLeftCtrl, true);
  k.input.SetKey(scan::kV, true);
  k.Frame();
  k.Frame();
  EXPECT_EQ(k.console().input, "echo pasted");
  k.input.SetKey(scan::kV, false);
  k.Frame();
  k.input.SetKey(scan::kV, true);
  k.Frame();
  EXPECT_EQ(k.console().input, "echo pastedecho pasted");
}

TEST(ConsoleKeys, BackspaceRepeatsLikeTyping) {
  KeysClient k;
  k.OpenUnlocked();
  k.console().input = "abcdef";
  k.input.SetKey(scan::kBackspace, true);
  k.Frame();
  k.Frame(250);
  EXPECT_EQ(k.console().input, "abcde");
  k.Frame(1);
  k.Frame(1);
  EXPECT_EQ(k.console().input, "abc");
  k.input.SetKey(scan::kBackspace, false);
  k.Frame();
  EXPECT_EQ(k.console().backspaceStamp, 0);
  k.console().input.clear();
  k.Tap(scan::kBackspace);
  EXPECT_EQ(k.console().input, "");
}

int ScrollAfterHoldingUp(int lines) {
  KeysClient k;
  k.OpenUnlocked();
  for (int i = 0; i < lines; ++i) ConsolePrint(k.client, "line", kConsoleWhite);
  k.input.SetKey(scan::kUp, true);
  for (int i = 0; i < 100; ++i) k.Frame();
  return k.console().scroll;
}

TEST(ConsoleKeys, ScrollBound) {
  EXPECT_EQ(ScrollAfterHoldingUp(0), 0);
  EXPECT_EQ(ScrollAfterHoldingUp(8), 0);
  EXPECT_EQ(ScrollAfterHoldingUp(9), 8);
  EXPECT_EQ(ScrollAfterHoldingUp(10), 24);
  EXPECT_EQ(ScrollAfterHoldingUp(20), 224);
}

TEST(ConsoleKeys, DownScrollsBackToZeroAndPrintingKeepsScroll) {
  KeysClient k;
  k.OpenUnlocked();
  for (int i = 0; i < 20; ++i) ConsolePrint(k.client, "line", kConsoleWhite);
  k.input.SetKey(scan::kUp, true);
  for (int i = 0; i < 3; ++i) k.Frame();
  k.input.SetKey(scan::kUp, false);
  EXPECT_EQ(k.console().scroll, 24);
  ConsolePrint(k.client, "more", kConsoleWhite);
  EXPECT_EQ(k.console().scroll, 24);
  k.input.SetKey(scan::kDown, true);
  for (int i = 0; i < 10; ++i) k.Frame();
  EXPECT_EQ(k.console().scroll, 0);
}

TEST(ConsoleKeys, EnterRunsTheTrimmedLineAndCtrlUpRecallsIt) {
  KeysClient k;
  k.OpenUnlocked();
  for (int i = 0; i < 12; ++i) ConsolePrint(k.client, "line", kConsoleWhite);
  k.console().scroll = 16;
  k.console().input = "  echo  hi  ";
  k.input.SetKey(scan::kEnter, true);
  k.Frame();
  k.console().input = "echo again";
  k.Frame();  // still the same press
  k.input.SetKey(scan::kEnter, false);
  k.Frame();
  auto texts = k.Texts();
  EXPECT_EQ(Strings(texts.end() - 2, texts.end()), (Strings{"> echo  hi", " hi"}));
  EXPECT_EQ(k.Colours().at(12), kConsoleAmber);
  EXPECT_EQ(k.console().scroll, 0);
  EXPECT_EQ(k.console().lastInput, "echo  hi");

  k.console().input.clear();
  k.input.SetVirtualKey(vk::kControl, true);
  k.input.SetKey(scan::kUp, true);
  k.Frame();
  k.console().input = "edited";
  k.Frame();
  EXPECT_EQ(k.console().input, "edited");
  EXPECT_EQ(k.console().scroll, 0);
  k.input.SetKey(scan::kUp, false);
  k.Frame();
  k.input.SetKey(scan::kUp, true);
  k.Frame();
  EXPECT_EQ(k.console().input, "echo  hi");
}

TEST(ConsoleKeys, EnterOnEmptyOrBlankInput) {
  KeysClient k;
  k.OpenUnlocked();
  k.Tap(scan::kEnter);
  EXPECT_TRUE(k.Texts().empty());
  k.console().input = "   ";
  k.Tap(scan::kEnter);
  EXPECT_EQ(k.Texts(), (Strings{"> ", "Den Befehl \"\" gibt es nicht."}));
}

TEST(ConsoleKeys, NoTypingWithoutFocusOrWhileClosed) {
  KeysClient k;
  k.console().enabled = 1;
  k.Type(kVkA);
  k.console().isOpen = 1;
  k.display.focus = false;
  k.Type(kVkA);
  EXPECT_EQ(k.console().input, "");
  k.client.config.fullScreenMode = 1;
  k.Type(kVkA);
  EXPECT_EQ(k.console().input, "a");
}

}  // namespace
}  // namespace kb
