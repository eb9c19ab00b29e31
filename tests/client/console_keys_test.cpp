#include <gtest/gtest.h>

#include "tests/client/harness.h"

namespace kb {
namespace {

constexpr int kVkA = 65;

struct KeysClient : ConsoleTestClient {
  explicit KeysClient(bool open = true) {
    input.MapChar(kVkA, 'a');
    input.MapChar(vk::kReturn, '\r');
    if (open) client.console.enabled = client.consoleOpen = 1;
  }
  void Frame(int ms = 1) {
    clock.Advance(ms);
    UpdateFrame(client);
  }
  void Hold(int scanCode, bool down = true) {
    input.SetKey(scanCode, down);
    Frame();
  }
  void Tap(int scanCode) { Hold(scanCode), Hold(scanCode, false); }
  void Type(int virtualKey) {
    for (bool down : {true, false}) input.SetVirtualKey(virtualKey, down), Frame();
  }
  // The console's switches as one word each, and the input.
  std::string State() const {
    const ConsoleState& c = client.console;
    return std::string(c.enabled ? "enabled" : "locked") + (client.consoleOpen ? " open" : "") + (c.isSmall ? " small" : "") +
           " '" + c.input + "'";
  }
  std::string& Input() { return client.console.input; }
};

TEST(ConsoleKeys, OpeningAndClosing) {
  KeysClient k(false);
  k.input.SetVirtualKey(kVkA, true);  // pressed and released while the console was locked
  k.input.SetVirtualKey(kVkA, false);
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "locked ''");
  // Ctrl + Shift + console key unlocks and opens small, dropping earlier presses.
  k.input.SetKey(scan::kRightCtrl, true);
  k.input.SetKey(scan::kLeftShift, true);
  k.Hold(scan::kGrave);
  k.Frame();  // the same held press does not close it again
  EXPECT_EQ(k.State(), "enabled open small ''");
  k.input.SetKey(scan::kRightCtrl, false);
  k.input.SetKey(scan::kLeftShift, false);
  k.Hold(scan::kGrave, false);
  // The console key grows a small console, Tab + console key shrinks it, a full one closes.
  k.Input() = "old";
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
  // A frozen console ignores its keys.
  k.client.console.frozen = 1;
  k.Tap(scan::kGrave);
  EXPECT_EQ(k.State(), "enabled open ''");
}

// Ctrl + D switches developer mode once per press, in debug mode only, frozen or not.
TEST(ConsoleKeys, CtrlDNeedsDebugMode) {
  struct Case { int debug, presses, frozen, devMode; };
  for (Case c : {Case{0, 1, 0, 0}, {1, 1, 0, 1}, {1, 2, 0, 0}, {5, 3, 0, 1}, {1, 1, 1, 1}}) {
    KeysClient k(false);
    k.client.frame.debugMode = c.debug;
    k.client.console.frozen = c.frozen;
    k.input.SetKey(scan::kLeftCtrl, true);
    for (int i = 0; i < c.presses; ++i) k.Hold(scan::kD), k.Frame(), k.Hold(scan::kD, false);
    EXPECT_EQ(k.client.frame.devMode, c.devMode) << c.debug << " " << c.presses << " " << c.frozen;
  }
}

TEST(ConsoleKeys, TypingRepeatsAfter250MsAndStopsAtTheBound) {
  KeysClient k;
  k.input.SetVirtualKey(kVkA, true);
  k.Frame();
  k.Frame(250);  // exactly 250 ms: not yet
  EXPECT_EQ(k.Input(), "a");
  k.Frame();
  k.input.SetVirtualKey(kVkA, false);
  k.Type(vk::kReturn);  // never typed
  EXPECT_EQ(k.Input(), "aa");
  k.Hold(scan::kBackspace);  // repeats the same way and stops at an empty input
  for (int i = 0; i < 10; ++i) k.Frame(250);
  EXPECT_EQ(k.Input(), "");
  k.Hold(scan::kBackspace, false);
  k.Input() = std::string(kMaxConsoleInput - 1, 'y');
  for (int i = 0; i < 3; ++i) k.Type(kVkA);
  EXPECT_EQ(k.Input(), std::string(kMaxConsoleInput - 1, 'y') + "a");
  // Nothing is typed without focus, except in full screen, which has none to lose.
  k.Input().clear();
  k.display.focus = false;
  k.Type(kVkA);
  EXPECT_EQ(k.Input(), "");
  k.client.config.fullScreenMode = 1;
  k.Type(kVkA);
  EXPECT_EQ(k.Input(), "a");
}

// Ctrl + V pastes once per press: one line, without control bytes, bounded; while it is held nothing else is
// typed.
TEST(ConsoleKeys, PasteTakesOneLine) {
  for (auto [clipboard, input] : {std::pair<std::string, std::string>{"echo a\r\nexit\r\n", "echo a"},
                                  {"echo b\nexit", "echo b"},
                                  {"\recho", ""},
                                  {"a\tb\x01\x02\x7F"
                                   "c\xE4",
                                   "abc\xE4"},
                                  {std::string(10000, 'x'), std::string(kMaxConsoleInput, 'x')}}) {
    KeysClient k;
    k.input.SetClipboard(clipboard);
    k.input.SetKey(scan::kLeftCtrl, true);
    for (int key : {vk::kControl, int{'V'}, kVkA}) k.input.SetVirtualKey(key, true);
    k.Hold(scan::kV);
    k.Frame();
    EXPECT_EQ(k.Input(), input) << clipboard.substr(0, 20);
  }
  KeysClient k;
  k.input.SetClipboard("echo p");
  k.input.SetKey(scan::kLeftCtrl, true);
  k.Tap(scan::kV);
  k.Tap(scan::kV);
  EXPECT_EQ(k.Input(), "echo pecho p");
}

TEST(ConsoleKeys, ScrollingStopsWhereTheOldestLineShows) {
  for (auto [lines, bound] : {std::pair{8, 0}, {9, 8}, {20, 224}}) {
    KeysClient k;
    for (int i = 0; i < lines; ++i) k.client.consoleLines.Print("line", kConsoleWhite);
    k.input.SetKey(scan::kUp, true);
    for (int i = 0; i < 100; ++i) k.Frame();
    EXPECT_EQ(k.client.console.scroll, bound) << lines;
    k.input.SetKey(scan::kUp, false);
    k.input.SetKey(scan::kDown, true);
    for (int i = 0; i < 100; ++i) k.Frame();
    EXPECT_EQ(k.client.console.scroll, 0);
  }
}

TEST(ConsoleKeys, EnterRunsTheTrimmedLineAndCtrlUpRecallsIt) {
  KeysClient k;
  k.client.console.scroll = 16;
  k.Input() = "  echo  hi  ";
  k.Hold(scan::kEnter);
  k.Input() = "echo again";
  k.Frame();  // still the same press
  k.Hold(scan::kEnter, false);
  EXPECT_EQ(k.Texts(), (Strings{"> echo  hi", " hi"}));
  EXPECT_EQ(k.Colours().at(0), kConsoleAmber);
  EXPECT_EQ(k.client.console.scroll, 0);
  k.input.SetVirtualKey(vk::kControl, true);
  k.Hold(scan::kUp);
  k.Input() = "edited";
  k.Frame();  // recalled once per press
  EXPECT_EQ(k.Input(), "edited");
  k.Hold(scan::kUp, false);
  k.Hold(scan::kUp);
  EXPECT_EQ(k.Input(), "echo  hi");
}

}  // namespace
}  // namespace kb
