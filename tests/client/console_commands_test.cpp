#include <gtest/gtest.h>

#include "client/console/commands.h"
#include "tests/client/console_test_client.h"

namespace kb {
namespace {

using Strings = std::vector<std::string>;

TEST(ConsoleCommands, SetSwitchRule) {
  int v = 0;
  SetSwitch(v, "");
  EXPECT_EQ(v, 1);
  SetSwitch(v, "");
  EXPECT_EQ(v, 0);
  SetSwitch(v, "5");
  EXPECT_EQ(v, 1);
  SetSwitch(v, "x");
  EXPECT_EQ(v, 0);
  SetSwitch(v, "ON");
  EXPECT_EQ(v, 1);
  SetSwitch(v, "Off");
  EXPECT_EQ(v, 0);
  v = 1;
  SetSwitch(v, "10");
  EXPECT_EQ(v, 1);
  v = 0;
  SetSwitch(v, "10");
  EXPECT_EQ(v, 0);
  SetSwitch(v, "onn");
  EXPECT_EQ(v, 0);
  SetSwitch(v, " on");
  EXPECT_EQ(v, 0);
  v = 7;
  SetSwitch(v, "oN");
  EXPECT_EQ(v, 1);
  v = 7;
  SetSwitch(v, "what");
  EXPECT_EQ(v, 1);
}

TEST(ConsoleCommands, SwitchesReportOnlyAtTheConsole) {
  ConsoleTestClient c;
  c.Run("upgrades");
  c.Run("upgrades");
  c.Run("verwirrung off");
  c.Run("verwirrung off");
  c.Run("debug 1");
  c.Run("dev");
  EXPECT_EQ(c.Texts(),
            (Strings{"Upgrades ausgeschaltet", "Upgrades eingeschaltet", "Verwirrung ausgeschaltet",
                     "Verwirrung ausgeschaltet", "Debugmodus eingeschaltet", "Devmodus eingeschaltet"}));
  c.client.console.lines.Clear();
  c.Run("upgrades", 1, "a.kbs");
  c.Run("debug 0", 1, "a.kbs");
  c.Run("dev off", 1, "a.kbs");
  EXPECT_TRUE(c.Texts().empty());
  EXPECT_EQ(c.client.round.upgradesOption, 0);
  EXPECT_EQ(c.client.frame.debugMode, 0);
  EXPECT_EQ(c.client.frame.devMode, 0);
}

TEST(ConsoleCommands, SilentSwitches) {
  ConsoleTestClient c;
  c.Run("pause 10");
  EXPECT_EQ(c.client.round.paused, 0);
  c.Run("pause 5");
  EXPECT_EQ(c.client.round.paused, 1);
  c.Run("console on");
  EXPECT_EQ(c.client.console.enabled, 1);
  c.Run("freeze");
  EXPECT_EQ(c.client.console.frozen, 1);
  EXPECT_TRUE(c.Texts().empty());
}

TEST(ConsoleCommands, AngleTurnsAndWrapsAround) {
  ConsoleTestClient c;
  auto& players = c.client.round.players;
  players[0].heading = 358.0f;
  c.Run("angle 0 up");
  EXPECT_FLOAT_EQ(players[0].heading, 2.0f);
  c.Run("angle 0 DOWN");
  EXPECT_FLOAT_EQ(players[0].heading, 358.0f);
  players[3].heading = 360.0f;
  c.Run("angle 3 sideways");
  EXPECT_FLOAT_EQ(players[3].heading, 360.0f);
  players[7].heading = 363.0f;
  c.Run("angle 7");
  EXPECT_FLOAT_EQ(players[7].heading, 3.0f);
  players[1].heading = -1.0f;
  c.Run("angle 1");
  EXPECT_FLOAT_EQ(players[1].heading, 359.0f);
}

TEST(ConsoleCommands, PlayerIndexesOutsideTheTableAreIgnored) {
  ConsoleTestClient c;
  auto players = c.client.round.players;
  auto colours = c.client.round.playerColours;
  for (const char* line : {"angle 8 up", "angle -1 up", "angle 2147483648 up", "play 8", "play -1 1",
                           "play 99999999999", "color 8 $FF", "color -2147483648 5", "color $7FFFFFFF 1"})
    c.Run(line);
  for (int i = 0; i < kPlayerSlots; ++i) {
    EXPECT_EQ(c.client.round.players[i].heading, players[i].heading);
    EXPECT_EQ(c.client.round.players[i].active, players[i].active);
    EXPECT_EQ(c.client.round.playerColours[i], colours[i]);
  }
  // A huge index keeps its low 32 bits: 4294967297 is slot 1.
  c.Run("play 4294967297");
  EXPECT_EQ(c.client.round.players[1].active, 1 - players[1].active);
}

TEST(ConsoleCommands, ColourForms) {
  ConsoleTestClient c;
  auto& colours = c.client.round.playerColours;
  c.Run("color 2 #FF0000");
  EXPECT_EQ(colours[2], 255u);
  colours[2] = 0;
  c.Run("color 2 $0000FF");
  EXPECT_EQ(colours[2], 255u);
  c.Run("color 2 #00FF00");
  EXPECT_EQ(colours[2], 65280u);
  c.Run("color 2 #123456");
  EXPECT_EQ(colours[2], 0x563412u);
  c.Run("color 2 16777215");
  EXPECT_EQ(colours[2], 16777215u);
  c.Run("color 2 %11");
  EXPECT_EQ(colours[2], 3u);
  // Six characters with "#" are not the #RRGGBB form: read as a number.
  c.Run("color 2 #FF000");
  EXPECT_EQ(colours[2], 0u);
  c.Run("color 2 5");
  c.Run("color 2");
  EXPECT_EQ(colours[2], 0u);
}

TEST(ConsoleCommands, PlayTogglesOrSets) {
  ConsoleTestClient c;
  auto& players = c.client.round.players;
  c.Run("play 4");
  EXPECT_EQ(players[4].active, 1);
  c.Run("play 4");
  EXPECT_EQ(players[4].active, 0);
  c.Run("play 4 1");
  c.Run("play 4 1");
  EXPECT_EQ(players[4].active, 1);
  c.Run("play 4 ");
  EXPECT_EQ(players[4].active, 0);
}

TEST(ConsoleCommands, TextCreatesAndMovesNamedObjects) {
  ConsoleTestClient c;
  auto& objects = c.client.textObjects;
  c.Run("text title 10 20 \"Hallo Welt\" #FF0000");
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].name, "title");
  EXPECT_EQ(objects[0].text, "Hallo Welt");
  EXPECT_EQ(objects[0].x, 10);
  EXPECT_EQ(objects[0].y, 20);
  EXPECT_EQ(objects[0].colour, 255u);

  // Moving with an empty text keeps text and colour; the colour field is ignored.
  c.Run("text title -1 300  00FF00");
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].x, -1);
  EXPECT_EQ(objects[0].y, 300);
  EXPECT_EQ(objects[0].text, "Hallo Welt");
  EXPECT_EQ(objects[0].colour, 255u);

  c.Run("text title 1 2 neu");
  EXPECT_EQ(objects[0].text, "neu");
  EXPECT_EQ(objects[0].colour, 255u);

  c.Run("text \"zwei worte\" 5 6 x");
  c.Run("text Title 0 0 y 0000FF");
  c.Run("text short 0 0 z FFF");
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(objects[1].name, "zwei worte");
  EXPECT_EQ(objects[1].colour, 16777215u);
  EXPECT_EQ(objects[2].colour, 0xFF0000u);
  EXPECT_EQ(objects[3].colour, 0xFFFu);

  c.Run("deltext \"zwei worte\"");
  c.Run("deltext nothing");
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[1].name, "Title");
}

TEST(ConsoleCommands, IfConditions) {
  ConsoleTestClient c;
  c.client.frame.gameState = kStateGame;
  c.Run("if mode not 1 echo a");
  c.Run("if mode 3 echo b");
  c.Run("if mode 1 echo no");
  c.Run("if mode NOT 3 echo no");
  c.Run("if open echo no");
  c.Run("if not open echo c");
  c.Run("if not small echo d");
  c.Run("if small echo no");
  c.Run("if other echo no");
  c.Run("if not other echo no");
  c.client.console.isOpen = 1;
  c.client.console.isSmall = 1;
  c.Run("if open echo e");
  c.Run("if small echo f");
  c.Run("if not open echo no");
  c.client.frame.gameState = kStateMenu;
  c.Run("if mode not 1 echo no");
  EXPECT_EQ(c.Texts(), (Strings{"a", "b", "c", "d", "e", "f"}));
}

TEST(ConsoleCommands, IfFindsTheFirstOccurrenceOfItsWord) {
  ConsoleTestClient c;
  c.client.frame.gameState = kStateMenu;
  // "o" first occurs inside "mode": the rest starts after "mo" and one more character.
  c.Run("if mode not o echo x");
  c.Run("if mode 1 echo 1");
  EXPECT_EQ(c.Texts(), (Strings{"Den Befehl \"e\" gibt es nicht.", "1"}));
}

TEST(ConsoleCommands, EndInsideIfDoesNotStop) {
  ConsoleTestClient c;
  c.client.console.isOpen = 1;
  EXPECT_EQ(c.Run("end"), 0);
  EXPECT_EQ(c.Run("if open end"), 1);
  EXPECT_EQ(c.Run("if open end", 1, "a.kbs"), 1);
  EXPECT_TRUE(c.Texts().empty());
}

TEST(ConsoleCommands, IfPassesItsScriptOn) {
  ConsoleTestClient c;
  c.client.console.isOpen = 1;
  c.Run("if open echo x", 1, "s.kbs");
  c.Run("if open nope", 1, "s.kbs");
  EXPECT_EQ(c.Texts(), (Strings{"[s.kbs] x"}));
}

TEST(ConsoleCommands, SetAndEnter) {
  ConsoleTestClient c;
  auto& console = c.client.console;
  c.Run("set   echo hi  ");
  EXPECT_EQ(console.input, "  echo hi  ");
  console.scroll = 16;
  c.Run("enter");
  EXPECT_EQ(console.input, "");
  EXPECT_EQ(console.lastInput, "echo hi");
  EXPECT_EQ(console.scroll, 0);
  c.Run("set echo quiet");
  c.Run("enter 0");
  c.Run("enter");
  EXPECT_EQ(c.Texts(), (Strings{"> echo hi", "hi", "quiet", "> ", "Den Befehl \"\" gibt es nicht."}));
  EXPECT_EQ(c.Colours().at(0), kConsoleAmber);
}

TEST(ConsoleCommands, EnterThatRunsEnterEnds) {
  ConsoleTestClient c;
  c.Run("set enter");
  c.Run("enter");
  EXPECT_EQ(c.Texts(), (Strings{"> enter", "> ", "Den Befehl \"\" gibt es nicht."}));
  EXPECT_EQ(c.client.console.input, "");
}

TEST(ConsoleCommands, EchoInScriptsNamesTheScript) {
  ConsoleTestClient c;
  c.Run("echo x // y", 1, "demo.kbs");
  c.Run("echo", 1, "demo.kbs");
  EXPECT_EQ(c.Texts(), (Strings{"[demo.kbs] x // y", "[demo.kbs] "}));
}

TEST(ConsoleCommands, OpenCloseClear) {
  ConsoleTestClient c;
  auto& console = c.client.console;
  console.input = "kept";
  c.Run("open SMALL");
  EXPECT_EQ(console.isOpen, 1);
  EXPECT_EQ(console.isSmall, 1);
  EXPECT_EQ(console.input, "kept");
  EXPECT_EQ(console.enabled, 0);
  c.Run("open");
  EXPECT_EQ(console.isSmall, 0);
  c.Run("close");
  EXPECT_EQ(console.isOpen, 0);
  for (int i = 0; i < 30; ++i) c.Run("echo line");
  c.Run("cls");
  EXPECT_EQ(c.Texts(), (Strings{"Willkommen zu Kringelbahn 1.2.4!"}));
  EXPECT_EQ(c.Colours(), (std::vector<Colour>{kConsoleGreen}));
  c.Run("clear");
  EXPECT_EQ(c.Texts().size(), 1u);
}

TEST(ConsoleCommands, DelayAtTheConsoleReturnsAtOnce) {
  ConsoleTestClient c;
  int64_t before = c.clock.Now();
  c.Run("delay 100000");
  EXPECT_EQ(c.clock.Now(), before);
  c.Run("delay 100", 1, "a.kbs");
  EXPECT_GT(c.clock.Now() - before, 100);
  before = c.clock.Now();
  c.Run("delay -5", 1, "a.kbs");
  c.Run("delay", 1, "a.kbs");
  EXPECT_LE(c.clock.Now() - before, 2);
}

TEST(ConsoleCommands, AlertAndErrorShowBoxes) {
  ConsoleTestClient c;
  c.Run("alert Hallo  \"du da\"");
  c.Run("error Oh", 1, "a.kbs");
  EXPECT_EQ(c.boxes, (Strings{"Kringelbahn|Hallo  \"du\x02"
                              "da\"|info",
                              "Kringelbahn|Oh|warning"}));
}

TEST(ConsoleCommands, ConnectSetsTheTargetAndHandsOver) {
  ConsoleTestClient c;
  int started = 0;
  c.client.console.hooks.startConnection = [&](Client& client) {
    ++started;
    EXPECT_EQ(client.serverLabel, "127.0.0.1 @ 4000");
  };
  c.Run("connect 127.0.0.1 4000");
  EXPECT_EQ(started, 1);
  EXPECT_EQ(c.client.serverAddress, "127.0.0.1");
  EXPECT_EQ(c.client.serverPort, 4000);
  c.client.console.hooks.startConnection = nullptr;
  c.Run("connect example.org");
  EXPECT_EQ(c.client.serverPort, 666);
  EXPECT_EQ(c.client.serverLabel, "example.org @ 666");
  c.Run("connect h -3");
  EXPECT_EQ(c.client.serverLabel, "h @ 666");
  EXPECT_TRUE(c.Texts().empty());
}

TEST(ConsoleCommands, AdminNeedsAConnection) {
  ConsoleTestClient c;
  c.Run("admin kick 1");
  c.client.frame.gameState = kStateNet;
  c.Run("admin kick 1");
  std::vector<std::string> sent;
  c.client.console.hooks.sendToServer = [&](Client&, const std::string& message) {
    sent.push_back(message);
    return true;
  };
  c.Run("admin say \"a b\"");
  c.client.frame.gameState = kStateMenu;
  c.Run("admin x");
  EXPECT_EQ(sent, (Strings{"ADMIN\x02say \"a\x02"
                           "b\"\x04"}));
  Strings red(3, "Fehler: Es besteht keine Verbindung zu einem Server.");
  EXPECT_EQ(c.Texts(), red);
  EXPECT_EQ(c.Colours().at(0), kConsoleRed);
}

TEST(ConsoleCommands, ExitOnlyAsksTheLoopToEnd) {
  for (int state : {kStateMenu, kStateNet}) {
    ConsoleTestClient c;
    c.client.frame.gameState = state;
    c.Run("exit");
    EXPECT_TRUE(c.client.frame.quit);
    EXPECT_TRUE(c.display.open == false && c.Texts().empty());
  }
}

}  // namespace
}  // namespace kb
