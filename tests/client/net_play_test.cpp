#include <gtest/gtest.h>

#include "client/console/command_registry.h"
#include "client/console/console.h"
#include "client/core/network_hooks.h"
#include "client/ui/chat.h"
#include "client/ui/frame_loop.h"
#include "tests/client/net_fixture.h"

namespace kb {
namespace {

using Strings = std::vector<std::string>;

struct Playing : NetClient {
  Playing() {
    Join();
    LockedFrame();
    peer->ClearSent();
  }
  // Sent messages other than PING.
  Strings Said() {
    Strings out;
    for (const std::string& m : peer->Sent())
      if (m != "PING") out.push_back(m);
    return out;
  }
  void SetMode(int mode) {
    Receive("MODE", {mode});
    LockedFrame();
  }
  void Hold(int scanCode, bool down) { input.SetKey(scanCode, down); }
};

TEST(NetSend, PingMoreThan100msApart) {
  Playing c;
  for (int i = 0; i < 350; ++i) c.LockedFrame();  // 1 ms per frame
  EXPECT_EQ(c.peer->Sent(), (Strings{"PING", "PING", "PING"}));
}

TEST(NetSend, SteeringSendsOneAnglePerStepOnlyInARunningRound) {
  struct Case {
    const char* what;
    int mode;
    std::vector<int> keys;
    bool rightButton;
    bool chatOpen;
    int frameMs;
    int frames;
    Strings expected;
  } cases[] = {
      {"left, 5 ms frames: every third frame",
       8,
       {scan::kLeftShift},
       false,
       false,
       5,
       9,
       {"ANGLE DOWN", "ANGLE DOWN", "ANGLE DOWN"}},
      {"slow frames: one per frame",
       8,
       {scan::kLeft},
       false,
       false,
       20,
       3,
       {"ANGLE DOWN", "ANGLE DOWN", "ANGLE DOWN"}},
      {"two slots' left keys: still one",
       8,
       {scan::kLeftShift, scan::kLeft},
       false,
       false,
       20,
       1,
       {"ANGLE DOWN"}},
      {"left and right: both",
       8,
       {scan::kLeftShift, scan::kDown},
       false,
       false,
       20,
       1,
       {"ANGLE DOWN", "ANGLE UP"}},
      {"slot 6 right mouse button", 8, {}, true, false, 20, 2, {"ANGLE UP", "ANGLE UP"}},
      {"inactive slot 3 counts too", 8, {scan::kComma}, false, false, 20, 1, {"ANGLE UP"}},
      {"chat open: no steering", 8, {scan::kLeftShift}, false, true, 20, 3, {}},
      {"countdown: no steering", 7, {scan::kLeftShift}, false, false, 20, 3, {}},
  };
  for (const Case& k : cases) {
    Playing c;
    c.SetMode(k.mode);
    c.client.net.chatOpen = k.chatOpen;
    c.clock.Advance(20);
    c.LockedFrame();  // a step with nothing held starts the rhythm
    c.clock.Advance(k.frameMs - 1);
    c.peer->ClearSent();
    for (int key : k.keys) c.Hold(key, true);
    c.input.SetVirtualKey(vk::kRightButton, k.rightButton);
    for (int i = 0; i < k.frames; ++i) {
      c.LockedFrame();
      c.clock.Advance(k.frameMs - 1);
    }
    EXPECT_EQ(c.Said(), k.expected) << k.what;
  }
}

TEST(NetSend, SpaceCtrlCAndEscapeOnTheirEdges) {
  Playing c;
  c.Hold(scan::kSpace, true);
  c.Hold(scan::kLeftCtrl, true);
  c.Hold(scan::kC, true);
  for (int i = 0; i < 5; ++i) c.LockedFrame();
  c.Hold(scan::kSpace, false);
  c.LockedFrame();
  c.Hold(scan::kSpace, true);
  c.LockedFrame();
  EXPECT_EQ(c.Said(), (Strings{"GO", "COLOR", "GO"}));
  c.peer->ClearSent();
  c.Tap(scan::kEscape);
  EXPECT_EQ(c.Said(), (Strings{"LEAVE"}));
  EXPECT_EQ(c.peer->drains, 1);
  EXPECT_TRUE(c.peer->destroyed);
  EXPECT_EQ(c.State(), kStateNetChoose);
}

TEST(NetSend, EscapeClosesAnOpenConsoleInsteadOfLeaving) {
  Playing c;
  c.client.console.enabled = c.client.console.isOpen = 1;
  c.Tap(scan::kEscape);
  EXPECT_EQ(c.client.console.isOpen, 0);
  EXPECT_EQ(c.State(), kStateNet);
  EXPECT_FALSE(c.peer->destroyed);
}

TEST(NetSend, AServerThatStopsReadingEndsTheVisit) {
  Playing c;
  c.peer->failFlush = true;
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateConnectionLost);
  EXPECT_TRUE(c.peer->destroyed);
}

TEST(NetPassword, TypedMaskedAndSentWhileEnterIsHeld) {
  Playing c;
  c.SetMode(19);
  c.input.MapChar('A', 'a');
  c.input.MapChar(13, '\r');
  c.input.SetVirtualKey('A', true);
  c.LockedFrame();
  c.input.SetVirtualKey('A', false);
  c.LockedFrame();
  EXPECT_EQ(c.client.net.passwordText, "a");
  EXPECT_EQ(c.client.net.passwordMask, "*");
  EXPECT_TRUE(PasswordEntered(c.client));
  // Enter, also as a virtual key, types nothing; PASS goes every frame.
  c.Hold(scan::kEnter, true);
  c.input.SetVirtualKey(13, true);
  c.LockedFrame();
  c.LockedFrame();
  EXPECT_EQ(c.Said(), (Strings{"PASS a", "PASS a"}));
  // The answer empties the text: no more PASS, and the held Enter does not
  // leave the "wrong password" screen before it is seen.
  c.Receive("MODE", {20});
  c.LockedFrame();
  c.LockedFrame();
  EXPECT_EQ(c.Mode(), 20);
  EXPECT_EQ(c.client.net.passwordText, "");
  EXPECT_EQ(c.Said().size(), 2u);
  EXPECT_EQ(c.State(), kStateNet);
  c.Hold(scan::kEnter, false);
  c.input.SetVirtualKey(13, false);
  c.LockedFrame();
  c.Hold(scan::kEnter, true);
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateNetChoose);
  EXPECT_TRUE(c.peer->destroyed) << "leaving net closes the connection";
}

TEST(NetPassword, EmptyTextSendsNothingAndShutdownLeavesOnSpace) {
  Playing c;
  c.SetMode(19);
  c.Hold(scan::kEnter, true);
  c.LockedFrame();
  c.Hold(scan::kEnter, false);
  EXPECT_EQ(c.Said(), Strings{});
  c.SetMode(21);
  c.Tap(scan::kSpace);
  EXPECT_EQ(c.State(), kStateNetChoose);
}

TEST(NetChat, EnterOpensTypesAndSends) {
  Playing c;
  c.SetMode(7);
  c.client.net.ownColour = 0x00FF00;
  c.input.MapChar('H', 'H');
  c.input.MapChar('I', 'i');
  // Pressed and released before the chat opens: not typed.
  c.input.SetVirtualKey('H', true);
  c.input.SetVirtualKey('H', false);
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.client.net.chatOpen, 1);
  for (int key : {'H', 'I'}) {
    c.input.SetVirtualKey(key, true);
    c.LockedFrame();
    c.input.SetVirtualKey(key, false);
  }
  EXPECT_EQ(c.client.net.chatText, "Hi");
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.Said(), (Strings{"CHAT Hi"}));
  EXPECT_EQ(c.client.net.chatOpen, 0);
  EXPECT_EQ(c.client.net.chatHistory[0].text, "Hi");
  EXPECT_EQ(c.client.net.chatHistory[0].colour, 0x00FF00u);
  // An empty line closes without sending; mode 6 cannot open it.
  c.Tap(scan::kEnter);
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.Said().size(), 1u);
  c.SetMode(6);
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.client.net.chatOpen, 0);
}

TEST(NetChat, OpenedWithTheConsoleOpenTakesNoTypingUntilItCloses) {
  Playing c;
  c.SetMode(8);
  c.client.console.enabled = c.client.console.isOpen = 1;
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.client.net.chatOpen, 1);
  c.input.MapChar('X', 'x');
  c.input.SetVirtualKey('X', true);
  c.LockedFrame();
  EXPECT_EQ(c.client.net.chatText, "");
  EXPECT_EQ(c.client.console.input, "x");
  c.client.console.isOpen = 0;
  c.input.SetVirtualKey('X', false);
  c.LockedFrame();
  c.input.SetVirtualKey('X', true);
  c.LockedFrame();
  EXPECT_EQ(c.client.net.chatText, "x");
}

TEST(NetChat, HistoryKeepsFiveLinesForThirtySeconds) {
  ChatHistory history;
  for (int i = 0; i < 6; ++i) AddChatLine(history, 1000 + i, std::to_string(i), i);
  EXPECT_EQ(history[0].text, "5");
  EXPECT_EQ(history[4].text, "1");
  ExpireChatLines(history, 1002 + 30000);  // line 1 is 30001 ms old, line 2 exactly 30000
  EXPECT_EQ(history[4].text, "");
  EXPECT_EQ(history[4].time, 0);
  EXPECT_EQ(history[3].text, "2");
}

TEST(ConnectTask, FailureAndSuccessReportAndChangeState) {
  NetClient c;
  c.refuse = true;
  c.client.frame.gameState = kStateNetConnect;
  c.Join();
  EXPECT_EQ(c.State(), kStateNetFail);
  auto lines = c.client.console.lines.Snapshot();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "Konnte nicht mit Server 10.0.0.1 auf port 666 verbinden.");
  EXPECT_EQ(lines[0].colour, kConsoleRed);
  // Escape during net_connect: a connection that completes later still enters net.
  c.refuse = false;
  c.client.frame.gameState = kStateNetChoose;
  c.Join();
  EXPECT_EQ(c.State(), kStateNet);
  EXPECT_EQ(c.Mode(), 10);
  c.LockedFrame();
  EXPECT_EQ(c.peer->Sent().at(0), "JOIN");
}

TEST(ConnectTask, ANewAttemptClosesTheOldConnectionAndWins) {
  NetClient c;
  c.Join();
  auto first = c.peer;
  c.client.serverAddress = "10.0.0.2";
  StartConnectTask(c.client);
  EXPECT_TRUE(first->destroyed);
  EXPECT_EQ(first->Sent().back(), "LEAVE");
  // The older attempt ends after the newer one: it changes nothing.
  c.client.net.tasks.JoinAll(false);
  auto second = c.peer;
  RunConnectTask(c.client, "10.0.0.3", 1, c.client.net.attempt - 1);
  c.client.net.tasks.JoinAll(false);
  EXPECT_FALSE(second->destroyed);
  EXPECT_EQ(c.client.net.link != nullptr, true);
  EXPECT_EQ(c.State(), kStateNet);
}

TEST(ConnectTask, ConsoleConnectAndAdmin) {
  NetClient c;
  RegisterCommands(c.client);
  DispatchCommand(c.client, "connect localhost 4000", 0, "");
  c.client.net.tasks.JoinAll(false);
  EXPECT_EQ(c.opened, (Strings{"localhost:4000"}));
  EXPECT_EQ(c.client.serverLabel, "localhost @ 4000");
  DispatchCommand(c.client, "admin LOGIN \"a b\"", 0, "");
  c.LockedFrame();
  EXPECT_EQ(c.peer->Sent().at(1), "ADMIN LOGIN \"a b\"");
}

TEST(LeaveServer, ExitAndTheCloseRequestSayGoodbyeBeforeTheEnd) {
  for (bool viaExit : {true, false}) {
    NetClient c;
    RegisterCommands(c.client);
    c.Join();
    if (viaExit)
      DispatchCommand(c.client, "exit", 0, "");
    else
      c.display.closeRequested = true;
    RunFrameLoop(c.client);
    EXPECT_EQ(c.peer->Sent().back(), "LEAVE");
    EXPECT_TRUE(c.peer->destroyed);
    EXPECT_TRUE(c.client.frame.quit);
  }
}

TEST(LeaveServer, EveryWayOutOfNetClosesTheConnection) {
  for (int target : {kStateMenu, kStateNetChoose, kStateConnectionLost}) {
    NetClient c;
    c.Join();
    SetGameState(c.client, target, true);
    EXPECT_TRUE(c.peer->destroyed) << target;
  }
}

}  // namespace
}  // namespace kb
