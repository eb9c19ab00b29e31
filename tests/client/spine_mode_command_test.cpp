#include <gtest/gtest.h>

#include "client/core/mode_command.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

TEST(ModeCommand, NamesMatchInAnyLetterCaseAndFadeFromTheConsole) {
  SpineClient c;
  c.client.console.isOpen = 1;
  int presented = c.display.presented;
  EXPECT_EQ(ModeCommand(c.client, "NET_Choose", false), 1);
  EXPECT_EQ(c.State(), kStateNetChoose);
  EXPECT_EQ(c.client.console.isOpen, 0);
  EXPECT_EQ(c.display.presented - presented, 12);
}

TEST(ModeCommand, FromAScriptNeitherFadesNorTouchesTheConsole) {
  SpineClient c;
  c.client.console.isOpen = 1;
  int presented = c.display.presented;
  EXPECT_EQ(ModeCommand(c.client, "wtf", true), 1);
  EXPECT_EQ(c.State(), kStateWtf);
  EXPECT_EQ(c.client.console.isOpen, 1);
  EXPECT_EQ(c.display.presented, presented);
  EXPECT_EQ(c.client.frame.fadeLevel, 5);
}

TEST(ModeCommand, EveryNameReachesItsState) {
  const std::pair<const char*, int> names[] = {
      {"menu", 1},     {"start", 2},        {"game", 3},     {"endround", 4},
      {"end", 5},      {"net_choose", 11},  {"net_lan", 12}, {"net_lan_manual", 13},
      {"net_web", 14}, {"net_connect", 15}, {"net", 16},     {"net_fail", 17},
      {"wtf", 24},     {"empty", 25}};
  for (auto [name, state] : names) {
    SpineClient c;
    c.client.frame.gameState = kStateEmpty;
    ModeCommand(c.client, name, true);
    EXPECT_EQ(c.State(), state) << name;
  }
}

TEST(ModeCommand, UnknownNamesOpenTheConsoleAndChangeNothing) {
  for (const char* args : {"", "bogus", "net_", "menu ", " menu", "666", "3", "22", "Men\xFC"}) {
    SpineClient c;
    c.client.frame.gameState = kStateNetChoose;
    c.client.round.botCount = 2;
    int presented = c.display.presented;
    ModeCommand(c.client, args, false);
    EXPECT_EQ(c.State(), kStateNetChoose) << args;
    EXPECT_EQ(c.client.console.isOpen, 1) << args;
    EXPECT_EQ(c.display.presented, presented) << args;
    EXPECT_EQ(c.client.round.botCount, 2) << args;
  }
}

TEST(ModeCommand, NumbersOnlyInDebugMode) {
  SpineClient c;
  c.client.frame.debugMode = 1;
  ModeCommand(c.client, "666", true);
  EXPECT_EQ(c.State(), kStateHell);
  ModeCommand(c.client, " 3", true);
  EXPECT_EQ(c.State(), kStateGame);
  ModeCommand(c.client, "$18", true);
  EXPECT_EQ(c.State(), kStateWtf);
  ModeCommand(c.client, "22x", true);
  EXPECT_EQ(c.State(), kStateConnectionLost);
  // Zero and negative numbers are names, and match none.
  ModeCommand(c.client, "0", false);
  EXPECT_EQ(c.State(), kStateConnectionLost);
  EXPECT_EQ(c.client.console.isOpen, 1);
  ModeCommand(c.client, "-1", false);
  EXPECT_EQ(c.State(), kStateConnectionLost);
  // A name still works in debug mode.
  ModeCommand(c.client, "Menu", false);
  EXPECT_EQ(c.State(), kStateMenu);
  EXPECT_EQ(c.client.console.isOpen, 0);
}

TEST(ModeCommand, RunsNoPreparation) {
  SpineClient c;
  c.client.round.players[2].score = 7;
  c.client.round.trailImage.Clear(0x0000FF);
  ModeCommand(c.client, "game", true);
  EXPECT_EQ(c.State(), kStateGame);
  EXPECT_EQ(c.client.round.players[2].score, 7);
  EXPECT_EQ(c.client.round.trailImage.Pixel(100, 100), 0x0000FFu);
}

}  // namespace
}  // namespace kb
