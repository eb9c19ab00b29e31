#include <gtest/gtest.h>

#include "client/console/mode_command.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

TEST(ModeCommand, NamesInAnyCaseFadeFromTheConsoleButNotFromAScript) {
  for (auto [name, state] : {std::pair{"menu", kStateMenu}, {"EndRound", kStateEndRound},
                             {"net_lan_manual", kStateNetLanManual}, {"wtf", kStateWtf}}) {
    SpineClient c;
    c.client.frame.gameState = kStateEmpty;
    c.client.round.trailImage.Clear(0x0000FF);
    c.client.consoleOpen = 1;
    EXPECT_EQ(ModeCommand(c.client, name, true), 1);
    EXPECT_EQ(c.State(), state) << name;
    EXPECT_EQ(c.client.consoleOpen + c.display.presented, 1) << "a script neither fades nor closes";
    EXPECT_EQ(c.client.round.trailImage.Pixel(100, 100), 0x0000FFu) << "no preparation for " << name;
  }
  SpineClient c;
  c.client.consoleOpen = 1;
  ModeCommand(c.client, "NET_Choose", false);
  c.Settle();
  EXPECT_EQ(c.State(), kStateNetChoose);
  EXPECT_EQ(c.client.consoleOpen + c.display.presented, 12) << "closes the console and fades";
}

TEST(ModeCommand, UnknownNamesOpenTheConsoleAndNumbersNeedDebugMode) {
  for (const char* args : {"", "net_", "menu ", "3"}) {
    SpineClient c;
    c.client.frame.gameState = kStateNetChoose;
    c.client.round.botCount = 2;
    ModeCommand(c.client, args, false);
    EXPECT_EQ(c.State(), kStateNetChoose) << args;
    EXPECT_EQ(c.client.consoleOpen, 1) << args;
    EXPECT_EQ(c.display.presented, 0) << args;
    EXPECT_EQ(c.client.round.botCount, 2) << args;
  }
  SpineClient c;
  c.client.frame.debugMode = 1;
  for (auto [args, state] : {std::pair{"666", kStateHell},
                             {"22x", kStateConnectionLost},
                             {"0", kStateConnectionLost},
                             {"Menu", kStateMenu}}) {
    ModeCommand(c.client, args, true);
    EXPECT_EQ(c.State(), state) << args;
  }
}

}  // namespace
}  // namespace kb
