#include <gtest/gtest.h>

#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/core/local_game.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

TEST(ConsoleText, FieldsQuotesNumbersAndSwitches) {
  // clang-format off
  struct Field { const char* text; int k; const char* field; };
  for (const Field& c : {Field{"a  b", 1, "a"}, {"a  b", 2, ""}, {"a  b", 3, "b"}, {"a  b", 4, ""},
                         {"a\tb c", 1, "a\tb"}, {" x", 1, ""}, {" x", 2, "x"}, {"x", 0, ""}, {"x", 1000000, ""}})
    EXPECT_EQ(TextField(c.text, c.k), c.field) << c.text << " #" << c.k;
  // Three quotes: only the first pair protects; a backslash-quote counts as a quote here.
  struct Pair { const char* in; const char* out; };
  for (const Pair& c : {Pair{"\"a b\" \"c d\" e f", "\"a\002b\" \"c\002d\" e f"},
                        {"\"a b\" \"c d", "\"a\002b\" \"c d"}, {"\\\"x y\\\"", "\\\"x\x02y\\\""}, {"\"", "\""}})
    EXPECT_EQ(ProtectQuotes(c.in), c.out) << c.in;
  for (const Pair& c : {Pair{"\"a\002b\"", "a b"}, {"\\\"x\\\"", "\"x\""}, {"say [DQUOTE]hi", "say \"hi"},
                        {"\"\"\"", ""}, {"a\\b", "a\\b"}, {"\\\"\\\"", "\"\""}, {"", ""}})
    EXPECT_EQ(Unquote(c.in), c.out) << c.in;
  struct Number { std::string text; int value; };
  // Huge numbers keep their low 32 bits and never trap.
  for (const Number& c : {Number{"  42x", 42}, {"$ff", 255}, {"%101", 5}, {"-7", -7}, {"+7", 7}, {"on", 0}, {"", 0},
                          {"\t 9", 9}, {"-$10", -16}, {"%102", 2}, {"$", 0}, {"- 5", 0}, {"$G1", 0}, {"12 34", 12},
                          {"9a", 9}, {"4294967295", -1}, {"2147483648", -2147483647 - 1}, {"$100000005", 5},
                          {"-4294967297", -1}, {"18446744073709551616", 0}})
    EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
  ParseNumber(std::string(5000, '9')), ParseNumber(std::string(1, '-').append(5000, '9'));
  // Empty toggles, one character is a number, "on"/"off" in any case, other words (also "10") leave the value
  // alone; anything above 1 becomes 1.
  struct Switch { int before; const char* args; int after; };
  for (Switch c : {Switch{0, "", 1}, {1, "", 0}, {0, "5", 1}, {1, "x", 0}, {0, "ON", 1}, {1, "Off", 0}, {1, "10", 1},
                   {0, "10", 0}, {0, "onn", 0}, {0, " on", 0}, {7, "oN", 1}, {7, "what", 1}, {0, "2", 1}})  // clang-format on
    EXPECT_EQ((SetSwitch(c.before, c.args), c.before), c.after) << "'" << c.args << "'";
}

// Arguments start one character after the name, keep every blank; quoted blanks arrive as byte 2.
TEST(ConsoleDispatch, SplittingNameAndArguments) {
  ConsoleTestClient c;
  Strings seen;
  RegisterCommand(
      c.client.console,
      [&](CommandContext&, const std::string& args, int fromScript, const std::string& script) {
        seen.push_back(args + "|" + std::to_string(fromScript) + "|" + script);
        return 7;
      },
      "probe", "", 1);
  SortCommands(c.client.console);
  for (const char* line : {"probe  x", "probe", "probe \"a b\" \"c d"}) EXPECT_EQ(c.Run(line), 7);
  c.Run("PROBE a b", 1, "s.kbs");
  EXPECT_EQ(seen, (Strings{" x|0|", "|0|", "\"a\002b\" \"c d|0|", "a b|1|s.kbs"}));
  EXPECT_EQ(c.Run("nope"), 1);
}

// What the commands print, typed or from a script, in order; errors in red.
TEST(ConsoleCommands, WhatTheyPrint) {
  const std::string unknown = "Den Befehl \"";
  struct Case { std::vector<const char*> lines; int fromScript, devMode; Strings texts; } cases[] = {
      // clang-format off
      {{"upgrades", "upgrades", "verwirrung off", "debug 1", "dev", "pause 10", "console on"}, 0, 0,
       {"Upgrades ausgeschaltet", "Upgrades eingeschaltet", "Verwirrung ausgeschaltet", "Debugmodus eingeschaltet",
        "Devmodus eingeschaltet"}},
      {{"upgrades", "debug 1", "dev on", "pause 5", "help", "help dump", "volume 5"}, 1, 0, {}},
      {{"volume", "volume 70", "volume 300", "volume -5", "volume 20x"}, 0, 0, {"Lautst\xE4rke: 40",
        "Lautst\xE4rke: 70", "Lautst\xE4rke: 100", "Lautst\xE4rke: 0", "Lautst\xE4rke: 20"}},
      {{"echo  x", "echo \"a  b\"", "echo \\\"x\\\""}, 0, 0, {" x", "a  b", "\"x\""}},
      {{"echo hi", "echo"}, 1, 0, {"[s.kbs] hi", "[s.kbs] "}},
      {{"echo,hi", "Nope x", " echo x", ""}, 0, 0, {unknown + "echo,hi\" gibt es nicht.", unknown + "Nope\" gibt es nicht.",
        unknown + " echo x\" gibt es nicht.", unknown + "\" gibt es nicht."}},
      // Scripts hear of unknown names only in developer mode.
      {{"nope"}, 1, 0, {}},
      {{"nope"}, 1, 1, {unknown + "nope\" gibt es nicht."}},
      {{"help dump", "help echo"}, 0, 0, {"Dump ([datei]): Den Inhalt der Konsole in eine Datei (standard "
        "\"ConsoleDump.txt\") speichern", unknown + "echo\" gibt es nicht."}},
      {{"echo gone", "cls"}, 0, 0, {"Willkommen zu Kringelbahn 1.2.4!"}},
      {{"admin kick 1"}, 0, 0, {"Fehler: Es besteht keine Verbindung zu einem Server."}},
      // "enter 0" runs without the echo; an enter that runs enter ends with an empty line.
      {{"set   echo hi  ", "enter", "set echo quiet", "enter 0", "set enter", "enter"}, 0, 0,
       {"> echo hi", "hi", "quiet", "> enter", "> ", unknown + "\" gibt es nicht."}},
      // clang-format on
  };
  for (const Case& k : cases) {
    ConsoleTestClient c;
    c.client.frame.devMode = k.devMode;
    for (const char* line : k.lines) c.Run(line, k.fromScript, k.fromScript ? "s.kbs" : "");
    EXPECT_EQ(c.Texts(), k.texts) << k.lines[0];
    for (size_t i = 0; i < k.texts.size(); ++i) {
      bool error = k.texts[i].starts_with(unknown) || k.texts[i].starts_with("Fehler");
      EXPECT_TRUE(!error || c.Colours()[i] == kConsoleRed) << k.texts[i];
    }
  }
}

// Help lists the commands that are not hidden, one line each; the table is sorted.
TEST(ConsoleDispatch, HelpListsTheVisibleCommands) {
  ConsoleTestClient c;
  const auto& table = c.client.console.commandTable;
  size_t visible = 0;
  for (size_t i = 0; i < table.size(); ++i) {
    if (i) {
      EXPECT_LT(table[i - 1].name, table[i].name);
    }
    visible += !table[i].hidden;
  }
  c.Run("help");
  EXPECT_EQ(c.Texts().size(), visible);
  EXPECT_LT(visible, table.size());
}

TEST(ConsoleDispatch, DeepNestingIsCutOffInsteadOfOverflowing) {
  ConsoleTestClient c;
  c.client.consoleOpen = 1;
  auto nested = [](int depth, const std::string& last) {
    std::string line;
    for (int i = 0; i < depth; ++i) line += "if open ";
    return line + last;
  };
  EXPECT_EQ(c.Run(nested(100000, "echo deep")), 1);
  c.Run(nested(63, "echo limit"));
  c.Run(nested(64, "echo beyond"));
  EXPECT_EQ(c.Texts(), (Strings{"limit"}));
}

TEST(ConsoleCommands, PlayerCommands) {
  ConsoleTestClient c;
  auto& players = c.client.round.players;
  auto& colours = c.client.round.playerColours;
  // angle turns by 4 degrees and wraps what lies outside 0..360 (exactly 360 stays).
  struct Turn { int slot; float before; const char* line; float after; };  // clang-format off
  for (const Turn& t : {Turn{0, 358, "angle 0 up", 2}, {0, 2, "angle 0 DOWN", 358}, {7, 363, "angle 7", 3},
                        {1, 360, "angle 1", 360}, {1, 0, "angle 1", 0}, {1, 356, "angle 1 up", 360},
                        {1, 4, "angle 1 down", 0}, {1, 360.5f, "angle 1", 0.5f}}) {  // clang-format on
    players[t.slot].heading = t.before;
    c.Run(t.line);
    EXPECT_FLOAT_EQ(players[t.slot].heading, t.after) << t.before << " " << t.line;
  }
  c.RunAll({"play 4", "play 4 1", "play 4 1"});
  EXPECT_EQ(players[4].active, 1);
  c.Run("play 4 ");
  EXPECT_EQ(players[4].active, 0);
  // A slot is active or not: any non-zero value counts once, so the round end stays reachable.
  for (int i = 0; i < kPlayerSlots; ++i) players[i].active = 0;
  c.RunAll({"play 0 5", "play 1 -3", "play 2 1", "play 3 0"});
  EXPECT_EQ(players[0].active + players[1].active, 2);
  EXPECT_EQ(CountParticipants(c.client.round), 3);
  players[0].dead = players[1].dead = 1;
  EXPECT_EQ(CountEliminated(c.client.round), 2);
  // Colour 0 would be an invisible trail nobody hits: it is refused; only 24 bits are kept.
  for (auto [line, colour] : {std::pair{"color 2 #123456", 0x563412u}, {"color 2 $0000FF", 255u},
                              {"color 2 #FF000", 255u}, {"color 2 0", 255u}, {"color 2", 255u},
                              {"color 2 #000000", 255u}, {"color 2 $1000000", 255u},
                              {"color 2 $7FFFFFFF", 0xFFFFFFu}, {"color 2 -1", 0xFFFFFFu}}) {
    c.Run(line);
    EXPECT_EQ(colours[2], colour) << line;
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
  for (auto [line, count] : {std::pair{"bots 7", 7}, {"bots -5", 0}, {"bots 2000000000", kMaxBots}, {"bots", 0},
                             {"bots 32", 32}, {"bots 33", kMaxBots}}) {
    c.Run(line);
    EXPECT_EQ(c.client.round.botCount, count) << line;
  }
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
  c.RunAll({"text title 1 2 neu", "text \"zwei worte\" 5 6 x", "text Title 0 0 y 0000FF", "text short 0 0 z FFF",
            "deltext \"zwei worte\"", "deltext nothing"});
  EXPECT_EQ(objects(), "title|neu|1|2|255;Title|y|0|0|16711680;short|z|0|0|4095;");
}

TEST(ConsoleCommands, IfConditions) {
  ConsoleTestClient c;
  c.client.frame.gameState = kStateGame;
  c.RunAll({"if mode not 1 echo a", "if mode 3 echo b", "if mode 1 echo no", "if mode NOT 3 echo no", "if open echo no",
            "if not open echo c", "if not small echo d", "if small echo no", "if other echo no",
            "if not other echo no"});
  c.client.consoleOpen = c.client.console.isSmall = 1;
  c.RunAll({"if open echo e", "if small echo f", "if not open echo no"});
  EXPECT_EQ(c.Run("if open end"), 1);  // end inside if does not stop a script
  c.Run("if open echo g", 1, "s.kbs");
  c.client.frame.gameState = kStateMenu;
  c.Run("if mode not 1 echo no");
  // "o" first occurs inside "mode": the rest starts after "mo" and one more character.
  c.Run("if mode not o echo x");
  EXPECT_EQ(c.Texts(), (Strings{"a", "b", "c", "d", "e", "f", "[s.kbs] g", "Den Befehl \"e\" gibt es nicht."}));
  EXPECT_EQ(c.Run("end"), 0);
}

TEST(ConsoleCommands, InputOpenCloseDelayAlertConnectAdminExit) {
  ConsoleTestClient c;
  auto& console = c.client.console;
  c.Run("set echo \"a b  c\" d");
  EXPECT_EQ(console.input, "echo \"a b  c\" d");
  c.Run("set " + std::string(10000, 's'));
  EXPECT_EQ(console.input.size(), kMaxConsoleInput);
  c.Run("open SMALL");
  EXPECT_EQ(c.client.consoleOpen + console.isSmall, 2);
  c.RunAll({"open", "close"});
  EXPECT_EQ(c.client.consoleOpen + console.isSmall, 0);

  c.Run("alert Hallo  \"du da\"");
  c.Run("error Oh", 1, "a.kbs");
  EXPECT_EQ(c.boxes, (Strings{"Kringelbahn|Hallo  \"du\002da\"|info", "Kringelbahn|Oh|warning"}));

  int started = 0;
  console.hooks.startConnection = [&](Model&) { ++started; };
  c.Run("connect 127.0.0.1 4000");
  EXPECT_EQ(started, 1);
  EXPECT_EQ(c.client.serverLabel, "127.0.0.1 @ 4000");
  Strings sent;
  console.hooks.sendToServer = [&](Model&, const std::string& message) { return sent.push_back(message), true; };
  c.Run("admin kick 1");  // not in a network game: nothing is sent
  c.client.frame.gameState = kStateNet;
  c.Run("admin say \"a b\"");
  EXPECT_EQ(sent, (Strings{"ADMIN\x02say \"a\002b\"\x04"}));
  // exit only asks the frame loop to end; saving and closing are its business.
  c.Run("exit");
  EXPECT_TRUE(c.client.frame.quit);
  EXPECT_FALSE(c.display.open);
}

TEST(ConsoleCommands, DumpAndList) {
  ConsoleTestClient c;
  TempWorkDir dir;
  c.Run("echo first");
  c.client.consoleLines.Print("second \xE4", kConsoleRed);
  c.RunAll({"dump", "dump \"my console dump.txt\""});
  for (const char* name : {"ConsoleDump.txt", "my console dump.txt"})
    EXPECT_EQ(dir.Read(name), "first\r\nsecond \xE4\r\n") << name;
  // A failure is reported only when typed, and leaves the history alone.
  c.Run("dump nothere/x.txt", 1, "a.kbs");
  c.Run("dump \"no such/folder.txt\"");
  EXPECT_EQ(c.Texts(), (Strings{"first", "second \xE4", "Datei \"no such/folder.txt\" konnte nicht erstellt werden."}));
  EXPECT_EQ(c.Colours().at(2), kConsoleRed);
  for (const char* name : {"b.kbs", "a.KBS", "c.txt", "d.kbs.bak"}) dir.Write(name, "x");
  std::filesystem::create_directory("folder.kbs");
  c.client.consoleLines.Clear();
  c.Run("list");
  EXPECT_EQ(c.Texts(), (Strings{"a.KBS", "b.kbs"}));
}

TEST(ConsoleLimits, HistoryKeepsTheNewestLinesWithinItsBounds) {
  ConsoleTestClient c;
  for (size_t i = 0; i < kMaxConsoleLines + 10; ++i) c.client.consoleLines.Print(std::to_string(i), kConsoleWhite);
  Strings texts = c.Texts();
  ASSERT_EQ(texts.size(), kMaxConsoleLines);
  EXPECT_EQ(texts.front(), "10");
  EXPECT_EQ(texts.back(), std::to_string(kMaxConsoleLines + 9));
  // Bytes too: a few huge lines push out the old ones, the newest always stays.
  for (int i = 0; i < 4; ++i) c.client.consoleLines.Print(std::string(kMaxConsoleBytes / 3, 'h'), kConsoleWhite);
  EXPECT_LE(c.Texts().size(), 3u);
  c.client.consoleLines.Print(std::string(kMaxConsoleBytes * 2, 'g'), kConsoleWhite);
  EXPECT_EQ(c.Texts().size(), 1u);
}

}  // namespace
}  // namespace kb
