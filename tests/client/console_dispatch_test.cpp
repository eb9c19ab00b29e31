#include <gtest/gtest.h>

#include "tests/client/console_test_client.h"

namespace kb {
namespace {

// Arguments start one character after the name, keep every blank, and quoted
// blanks reach the handler as byte 2.
TEST(ConsoleDispatch, SplittingNameAndArguments) {
  ConsoleTestClient c;
  Strings seen;
  RegisterCommand(
      c.client,
      [&](Client&, const std::string& args, int fromScript, const std::string& script) {
        seen.push_back(args + "|" + std::to_string(fromScript) + "|" + script);
        return 7;
      },
      "probe", "", 1);
  SortCommands(c.client);
  for (const char* line : {"probe  x", "probe", "probe \"a b\" \"c d"}) EXPECT_EQ(c.Run(line), 7);
  c.Run("PROBE a b", 1, "s.kbs");
  EXPECT_EQ(seen, (Strings{" x|0|", "|0|", "\"a\002b\" \"c d|0|", "a b|1|s.kbs"}));

  c.RunAll({"echo  x", "echo \"a  b\"", "echo \\\"x\\\""});
  EXPECT_EQ(c.Texts(), (Strings{" x", "a  b", "\"x\""}));
}

TEST(ConsoleDispatch, UnknownNames) {
  ConsoleTestClient c;
  // Scripts hear of them only in developer mode.
  EXPECT_EQ(c.Run("nope", 1, "a.kbs"), 1);
  EXPECT_TRUE(c.Texts().empty());
  for (const char* line : {"echo,hi", "Nope x", " echo x", ""}) EXPECT_EQ(c.Run(line), 1);
  c.client.frame.devMode = 1;
  c.Run("nope", 1, "a.kbs");
  EXPECT_EQ(c.Texts(), (Strings{"Den Befehl \"echo,hi\" gibt es nicht.", "Den Befehl \"Nope\" gibt es nicht.",
                                "Den Befehl \" echo x\" gibt es nicht.", "Den Befehl \"\" gibt es nicht.",
                                "Den Befehl \"nope\" gibt es nicht."}));
  for (Colour colour : c.Colours()) EXPECT_EQ(colour, kConsoleRed);
}

TEST(ConsoleDispatch, TableAndHelp) {
  ConsoleTestClient c;
  const auto& table = c.client.console.commandTable;
  ASSERT_EQ(table.size(), 34u);
  for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].name, table[i].name);
  for (const auto& record : table) EXPECT_EQ(record.hidden != 0, record.help.empty()) << record.name;

  // Hidden names have no help; help is silent in scripts.
  EXPECT_EQ(c.Run("help", 1, "a.kbs") + c.Run("help dump", 1, "a.kbs"), 2);
  c.RunAll({"help", "help dump", "help echo"});
  EXPECT_EQ(
      c.Texts(),
      (Strings{
          "Admin", "Bots", "Clear", "Connect", "Dump", "Exec", "Exit", "Mode", "Pause", "Upgrades",
          "Verwirrung",
          "Dump ([datei]): Den Inhalt der Konsole in eine Datei (standard \"ConsoleDump.txt\") speichern",
          "Den Befehl \"echo\" gibt es nicht."}));
  EXPECT_EQ(c.Colours().at(12), kConsoleRed);
}

TEST(ConsoleDispatch, DeepNestingIsCutOffInsteadOfOverflowing) {
  ConsoleTestClient c;
  c.client.console.isOpen = 1;
  auto nested = [](int depth, const std::string& last) {
    std::string line;
    for (int i = 0; i < depth; ++i) line += "if open ";
    return line + last;
  };
  EXPECT_EQ(c.Run(nested(100000, "echo deep")), 1);
  // 64 commands deep at most: the echo inside 63 "if"s runs, inside 64 it does not.
  c.Run(nested(63, "echo limit"));
  c.Run(nested(64, "echo beyond"));
  EXPECT_EQ(c.Texts(), (Strings{"limit"}));
}

}  // namespace
}  // namespace kb
