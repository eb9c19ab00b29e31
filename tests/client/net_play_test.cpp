#include <gtest/gtest.h>

#include "client/console/console.h"
#include "client/core/network_hooks.h"
#include "client/app/frame_loop.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

struct Playing : NetClient {
  explicit Playing(int mode = 10) {
    Join(), Frame();
    Arrive("MODE", {mode});
    peer->flushed.clear();
  }
  void Key(int scanCode, bool down) { input.SetKey(scanCode, down); }
  void Type(int virtualKey, int ch) {
    input.MapChar(virtualKey, ch);
    input.SetVirtualKey(virtualKey, true);
    Frame();
    input.SetVirtualKey(virtualKey, false);
  }
};

TEST(NetSend, PingMoreThan100msApart) {
  Playing c;
  c.Frames(350);  // 1 ms per frame
  EXPECT_EQ(std::count(c.peer->flushed.begin(), c.peer->flushed.end(), kMessageTerminator), 3);
}

TEST(NetSend, OneAnglePerSteeringStepInARunningRoundOnly) {
  struct Case {
    const char* what;
    int mode;
    std::vector<int> keys;
    int frameMs, frames;
    Strings said;
  } cases[] = {
      {"5 ms frames: every third", 8, {scan::kLeftShift}, 5, 9, {"ANGLE DOWN", "ANGLE DOWN", "ANGLE DOWN"}},
      {"slow frames: every frame", 8, {scan::kLeft}, 20, 2, {"ANGLE DOWN", "ANGLE DOWN"}},
      {"two slots' left keys: one", 8, {scan::kLeftShift, scan::kLeft}, 20, 1, {"ANGLE DOWN"}},
      {"left and right: both", 8, {scan::kLeftShift, scan::kDown}, 20, 1, {"ANGLE DOWN", "ANGLE UP"}},
      {"an inactive slot steers too", 8, {scan::kComma}, 20, 1, {"ANGLE UP"}},
      {"countdown: none", 7, {scan::kLeftShift}, 20, 2, {}},
  };
  for (const Case& k : cases) {
    Playing c(k.mode);
    c.clock.Advance(k.frameMs);
    for (int key : k.keys) c.Key(key, true);
    for (int i = 0; i < k.frames; ++i, c.clock.Advance(k.frameMs - 1)) c.Frame();
    EXPECT_EQ(c.peer->Said(), k.said) << k.what;
  }
  // Slot 6's right mouse button; nothing while the chat line is open.
  Playing c(8);
  c.input.SetVirtualKey(vk::kRightButton, true);
  c.clock.Advance(20);
  c.Frame();
  c.client.net.session.chatOpen = 1;
  c.clock.Advance(20);
  c.Frame();
  EXPECT_EQ(c.peer->Said(), Strings{"ANGLE UP"});
}

TEST(NetSend, SpaceCtrlCAndEscapeOnTheirEdges) {
  Playing c;
  for (int key : {scan::kSpace, scan::kLeftCtrl, scan::kC}) c.Key(key, true);
  c.Frames(3);
  c.Tap(scan::kEscape);
  EXPECT_EQ(c.peer->Said(), (Strings{"GO", "COLOR", "LEAVE"}));
  EXPECT_EQ(c.peer->drains, 1);
  EXPECT_TRUE(c.peer->destroyed);
  EXPECT_EQ(c.State(), kStateNetChoose);
}

TEST(NetPassword, SentWhileEnterIsHeldAndNeverEmpty) {
  Playing c(19);
  c.Key(scan::kEnter, true);
  c.Frame();
  c.Key(scan::kEnter, false);
  c.Type('A', 'a');
  c.Type(13, '\r');  // Enter and Backspace are no characters here
  EXPECT_EQ(c.client.net.session.passwordText, "a");
  c.Key(scan::kEnter, true);
  c.Frames(2);
  c.Arrive("MODE", {20});
  c.Frame();
  EXPECT_EQ(c.client.net.session.passwordText, "");
  EXPECT_EQ(c.peer->Said(), (Strings{"PASS a", "PASS a"}));
}

TEST(NetChat, EnterOpensTypesSendsAndCloses) {
  Playing c(7);
  c.client.net.session.ownColour = 0x00FF00;
  c.input.SetVirtualKey('H', true);  // pressed and released before the chat opens
  c.input.SetVirtualKey('H', false);
  c.Tap(scan::kEnter);
  c.Type('H', 'H');
  c.Type('I', 'i');
  c.Tap(scan::kEnter);
  c.Tap(scan::kEnter);  // an empty line closes without sending
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.peer->Said(), Strings{"CHAT Hi"});
  EXPECT_EQ(c.client.net.session.chatHistory[0].text, "Hi");
  EXPECT_EQ(c.client.net.session.chatHistory[0].colour, 0x00FF00u);
  EXPECT_EQ(c.client.net.session.chatOpen, 0);
  // With the console open, Enter opens the chat but typing goes to the console.
  c.client.console.enabled = c.client.consoleOpen = 1;
  c.Tap(scan::kEnter);
  c.Type('X', 'x');
  EXPECT_EQ(c.client.net.session.chatOpen, 1);
  EXPECT_EQ(c.client.net.session.chatText + "|" + c.client.console.input, "|x");
}

// The Enter that connected, failed or sent the password acts once: the next screen or the chat line waits for
// a fresh press.
TEST(NetEnter, AHeldEnterActsOnlyOnce) {
  struct Case {
    const char* what;
    std::function<void(NetClient&)> start;
    bool chat;  // what shows the press: the chat line, or else the screen
    int held, fresh;
  } cases[] = {  // clang-format off
      {"connect failure", [](NetClient& c) { c.refuse = true, c.Join(); }, false, kStateNetFail, kStateNetChoose},
      {"password accepted", [](NetClient& c) {
         c.Join(), c.Frame(), c.Arrive("MODE", {19}), c.client.net.session.passwordText = "a";
         c.Frame(), c.Arrive("MODE", {20}); }, false, kStateNet, kStateNetChoose},
      {"chat after connecting", [](NetClient& c) {  // a second player was there: the countdown runs
         c.client.frame.gameState = kStateNetLan, c.client.serverAddress = "10.0.0.1";
         ConnectFromScreen(c.client), PollConnecting(c.client);
         c.Frame(), c.Arrive("MODE", {7}); }, true, 0, 1}};  // clang-format on
  for (const Case& k : cases) {
    NetClient c;
    auto seen = [&] { return k.chat ? c.client.net.session.chatOpen : c.State(); };
    c.input.SetKey(scan::kEnter, true);
    k.start(c);
    c.Frames(3);
    EXPECT_EQ(seen(), k.held) << k.what;
    c.input.SetKey(scan::kEnter, false);
    c.Frame();
    c.input.SetKey(scan::kEnter, true);
    c.Frame();
    EXPECT_EQ(seen(), k.fresh) << k.what;
  }
}

TEST(ConnectTask, ReportsAndOnlyTheNewestAttemptCounts) {
  NetClient c;
  c.refuse = true;
  c.Join();
  EXPECT_EQ(c.State(), kStateNetFail);
  ConsoleLine line = c.client.consoleLines.Snapshot().at(0);
  EXPECT_EQ(line.text, "Konnte nicht mit Server 10.0.0.1 auf port 666 verbinden.");
  EXPECT_EQ(line.colour, kConsoleRed);
  c.refuse = false;
  c.client.frame.gameState = kStateNetChoose;  // Escape during net_connect: still enters net
  c.Join();
  EXPECT_EQ(c.State(), kStateNet);
  auto first = c.peer;
  NetSession& session = c.client.net.session;
  c.client.round.trailImage.SetPixel(400, 300, 0xFF0000);  // the first server's trails, pause, chat and countdown
  session.serverPaused = 1, session.chatHistory[0] = {c.clock.Now(), 0xFFFFFF, "alt"}, session.countdownMs = 3000;
  c.Join("10.0.0.2");
  EXPECT_TRUE(first->destroyed);
  EXPECT_EQ(c.client.round.trailImage.Pixel(400, 300), 0u) << "a new connection starts from a clear field";
  EXPECT_EQ(session.serverPaused + session.countdownMs + session.chatHistory[0].text.size(), 0u);
  EXPECT_EQ(first->Said(), (Strings{"JOIN", "LEAVE"}));
  // A new attempt gives up the one under way: only the newest ends.
  auto opener = c.client.net.openLink;
  c.client.net.openLink = [](const std::string&, int) { return OpenServerLink("127.0.0.1", 1); };
  c.client.serverAddress = "10.0.0.3";
  StartConnecting(c.client);
  c.client.net.openLink = opener;
  c.Join("10.0.0.4");
  c.Frames(100);
  EXPECT_EQ(c.State(), kStateNet);
  EXPECT_EQ(c.client.consoleLines.Snapshot().back().text, "Erfolgreich mit Server 10.0.0.4 auf port 666 verbunden.");
  EXPECT_EQ(c.opened, (Strings{"10.0.0.1:666", "10.0.0.1:666", "10.0.0.2:666", "10.0.0.4:666"}));
}

// Ending the program in a network game, by "exit" or the window's close, says LEAVE to the server first.
TEST(ConnectTask, ExitAndTheWindowsCloseSayLeave) {
  for (bool viaExit : {true, false}) {
    NetClient c;
    c.Join();
    RegisterCommands(c.client.console);
    if (viaExit) DispatchCommand(c.client.commands, "exit", 0, "");
    c.display.closeRequested = !viaExit;
    RunFrameLoop(c.client);
    EXPECT_EQ(c.peer->Said(), (Strings{"JOIN", "LEAVE"})) << (viaExit ? "exit" : "close");
  }
}

}  // namespace
}  // namespace kb
