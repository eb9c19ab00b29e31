#include <gtest/gtest.h>

#include "client/core/local_game.h"
#include "tests/client/console_test_client.h"

namespace kb {
namespace {

TEST(ConsoleCommands, SwitchesReportOnlyAtTheConsole) {
  ConsoleTestClient c;
  c.RunAll({"upgrades", "upgrades", "verwirrung off", "debug 1", "dev", "pause 10", "console on"});
  EXPECT_EQ(c.Texts(),
            (Strings{"Upgrades ausgeschaltet", "Upgrades eingeschaltet", "Verwirrung ausgeschaltet",
                     "Debugmodus eingeschaltet", "Devmodus eingeschaltet"}));
  EXPECT_EQ(c.client.round.paused, 0);
  EXPECT_EQ(c.client.console.enabled, 1);
  c.RunAll({"upgrades", "debug 0", "dev off", "pause 5"}, 1, "a.kbs");
  EXPECT_EQ(c.Texts().size(), 5u);
  EXPECT_EQ(c.client.round.upgradesOption + c.client.frame.debugMode + c.client.frame.devMode, 0);
  EXPECT_EQ(c.client.round.paused, 1);
}

TEST(ConsoleCommands, PlayerCommands) {
  ConsoleTestClient c;
  auto& players = c.client.round.players;
  auto& colours = c.client.round.playerColours;
  // angle turns by 4 degrees and wraps into 0..359; an unknown direction only wraps.
  // clang-format off
  struct Turn { int slot; float before; const char* line; float after; };
  for (const Turn& t : {Turn{0, 358, "angle 0 up", 2}, {0, 2, "angle 0 DOWN", 358}, {7, 363, "angle 7", 3}}) {
    // clang-format on
    players[t.slot].heading = t.before;
    c.Run(t.line);
    EXPECT_FLOAT_EQ(players[t.slot].heading, t.after) << t.line;
  }
  // play toggles, or sets with a second number.
  c.RunAll({"play 4", "play 4 1", "play 4 1"});
  EXPECT_EQ(players[4].active, 1);
  c.Run("play 4 ");
  EXPECT_EQ(players[4].active, 0);
  // A slot is active or not: any non-zero value counts once, so the round end stays reachable.
  for (int i = 0; i < kPlayerSlots; ++i) players[i].active = 0;
  c.RunAll({"play 0 5", "play 1 -3", "play 2 1", "play 3 0"});
  EXPECT_EQ(players[0].active, 1);
  EXPECT_EQ(players[1].active, 1);
  EXPECT_EQ(CountParticipants(c.client), 3);
  players[0].dead = players[1].dead = 1;
  EXPECT_EQ(CountEliminated(c.client), 2);
  // color: #RRGGBB is swapped into the game's order, everything else is a number.
  // clang-format off
  struct Paint { const char* line; Colour colour; };
  // Colour 0 would be an invisible trail nobody hits: it is refused and the old colour stays;
  // only 24 bits are kept.
  for (const Paint& p : {Paint{"color 2 #123456", 0x563412u}, {"color 2 $0000FF", 255u}, {"color 2 #FF000", 255u},
                         {"color 2 0", 255u}, {"color 2", 255u}, {"color 2 #000000", 255u},
                         {"color 2 $1000000", 255u}, {"color 2 $7FFFFFFF", 0xFFFFFFu}, {"color 2 -1", 0xFFFFFFu}}) {
    // clang-format on
    c.Run(p.line);
    EXPECT_EQ(colours[2], p.colour) << p.line;
  }
  // Indexes outside 0..7 are ignored; a huge one keeps its low 32 bits.
  auto oldPlayers = players;
  auto oldColours = colours;
  c.RunAll({"angle 8 up", "angle -1 up", "play 8", "play 99999999999", "color 8 $FF", "color -2147483648 5"});
  for (int i = 0; i < kPlayerSlots; ++i) {
    EXPECT_EQ(players[i].heading, oldPlayers[i].heading);
    EXPECT_EQ(players[i].active, oldPlayers[i].active);
    EXPECT_EQ(colours[i], oldColours[i]);
  }
  c.Run("play 4294967297");
  EXPECT_EQ(players[1].active, 1 - oldPlayers[1].active);
}

TEST(ConsoleCommands, TextObjects) {
  ConsoleTestClient c;
  auto objects = [&] {
    std::string all;
    for (const auto& o : c.client.textObjects)
      all += o.name + "|" + o.text + "|" + std::to_string(o.x) + "|" + std::to_string(o.y) + "|" +
             std::to_string(o.colour) + ";";
    return all;
  };
  c.Run("text title 10 20 \"Hallo Welt\" #FF0000");
  // An empty text only moves the object: text and colour stay, the colour field is ignored.
  c.Run("text title -1 300  00FF00");
  EXPECT_EQ(objects(), "title|Hallo Welt|-1|300|255;");
  // Names are case-sensitive and may be quoted; bare hex colours are read as RRGGBB.
  c.RunAll({"text title 1 2 neu", "text \"zwei worte\" 5 6 x", "text Title 0 0 y 0000FF",
            "text short 0 0 z FFF", "deltext \"zwei worte\"", "deltext nothing"});
  EXPECT_EQ(objects(), "title|neu|1|2|255;Title|y|0|0|16711680;short|z|0|0|4095;");
}

TEST(ConsoleCommands, IfConditions) {
  ConsoleTestClient c;
  c.client.frame.gameState = kStateGame;
  c.RunAll({"if mode not 1 echo a", "if mode 3 echo b", "if mode 1 echo no", "if mode NOT 3 echo no",
            "if open echo no", "if not open echo c", "if not small echo d", "if small echo no",
            "if other echo no", "if not other echo no"});
  c.client.console.isOpen = c.client.console.isSmall = 1;
  c.RunAll({"if open echo e", "if small echo f", "if not open echo no"});
  EXPECT_EQ(c.Run("if open end"), 1);  // end inside if does not stop a script
  c.Run("if open echo g", 1, "s.kbs");
  c.client.frame.gameState = kStateMenu;
  c.Run("if mode not 1 echo no");
  // "o" first occurs inside "mode": the rest starts after "mo" and one more character.
  c.Run("if mode not o echo x");
  EXPECT_EQ(c.Texts(),
            (Strings{"a", "b", "c", "d", "e", "f", "[s.kbs] g", "Den Befehl \"e\" gibt es nicht."}));
  EXPECT_EQ(c.Run("end"), 0);
}

TEST(ConsoleCommands, SetAndEnter) {
  ConsoleTestClient c;
  auto& console = c.client.console;
  c.Run("set   echo hi  ");
  EXPECT_EQ(console.input, "  echo hi  ");
  c.Run("enter");
  EXPECT_EQ(console.input + "|" + console.lastInput, "|echo hi");
  // "enter 0" runs without the echo; an enter that runs enter ends with an empty line.
  c.RunAll({"set echo quiet", "enter 0", "set enter", "enter"});
  EXPECT_EQ(c.Texts(),
            (Strings{"> echo hi", "hi", "quiet", "> enter", "> ", "Den Befehl \"\" gibt es nicht."}));
}

TEST(ConsoleCommands, EchoOpenCloseClear) {
  ConsoleTestClient c;
  auto& console = c.client.console;
  c.Run("echo", 1, "demo.kbs");
  EXPECT_EQ(c.Texts(), (Strings{"[demo.kbs] "}));
  c.Run("open SMALL");
  EXPECT_EQ(console.isOpen + console.isSmall, 2);
  c.RunAll({"open", "close"});
  EXPECT_EQ(console.isOpen + console.isSmall, 0);
  c.Run("cls");
  EXPECT_EQ(c.Texts(), (Strings{"Willkommen zu Kringelbahn 1.2.4!"}));
  EXPECT_EQ(c.Colours(), (std::vector<Colour>{kConsoleGreen}));
}

TEST(ConsoleCommands, DelayAlertError) {
  ConsoleTestClient c;
  int64_t before = c.clock.Now();
  c.Run("delay 100000");  // typed: never blocks the frame loop
  EXPECT_EQ(c.clock.Now(), before);
  c.Run("delay 100", 1, "a.kbs");
  EXPECT_GT(c.clock.Now() - before, 100);
  c.Run("alert Hallo  \"du da\"");
  c.Run("error Oh", 1, "a.kbs");
  EXPECT_EQ(c.boxes, (Strings{"Kringelbahn|Hallo  \"du\002da\"|info", "Kringelbahn|Oh|warning"}));
}

TEST(ConsoleCommands, ConnectAdminExit) {
  ConsoleTestClient c;
  int started = 0;
  c.client.console.hooks.startConnection = [&](Client&) { ++started; };
  c.Run("connect 127.0.0.1 4000");
  EXPECT_EQ(started, 1);
  EXPECT_EQ(c.client.serverLabel, "127.0.0.1 @ 4000");

  Strings sent;
  c.client.console.hooks.sendToServer = [&](Client&, const std::string& message) {
    sent.push_back(message);
    return true;
  };
  c.Run("admin kick 1");
  c.client.frame.gameState = kStateNet;
  c.Run("admin say \"a b\"");
  EXPECT_EQ(sent, (Strings{"ADMIN\x02say \"a\002b\"\x04"}));
  EXPECT_EQ(c.Texts(), (Strings{"Fehler: Es besteht keine Verbindung zu einem Server."}));
  EXPECT_EQ(c.Colours().at(0), kConsoleRed);
  // exit only asks the frame loop to end; saving and closing are its business.
  c.Run("exit");
  EXPECT_TRUE(c.client.frame.quit);
  EXPECT_FALSE(c.display.open);
}

TEST(ConsoleCommands, Dump) {
  ConsoleTestClient c;
  TempWorkDir dir;
  c.Run("echo first");
  ConsolePrint(c.client, "second \xE4", kConsoleRed);
  c.RunAll({"dump", "dump \"my console dump.txt\""});
  for (const char* name : {"ConsoleDump.txt", "my console dump.txt"})
    EXPECT_EQ(dir.Read(name), "first\r\nsecond \xE4\r\n") << name;
  // A failure is reported only when typed, and leaves the history alone.
  c.Run("dump nothere/x.txt", 1, "a.kbs");
  c.Run("dump \"no such/folder.txt\"");
  EXPECT_EQ(c.Texts(),
            (Strings{"first", "second \xE4", "Datei \"no such/folder.txt\" konnte nicht erstellt werden."}));
  EXPECT_EQ(c.Colours().at(2), kConsoleRed);
}

}  // namespace
}  // namespace kb
