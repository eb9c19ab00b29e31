#include <gtest/gtest.h>

#include "tests/client/console_test_client.h"

namespace kb {
namespace {

using Strings = std::vector<std::string>;

// A client with one extra command that records what it received.
struct Recorder : ConsoleTestClient {
  Recorder() {
    RegisterCommand(
        client,
        [this](Client&, const std::string& args, int fromScript, const std::string& script) {
          seen.push_back(args + "|" + std::to_string(fromScript) + "|" + script);
          return 7;
        },
        "probe", "", 1);
    SortCommands(client);
  }
  Strings seen;
};

TEST(ConsoleDispatch, ArgumentsStartOneCharacterAfterTheName) {
  Recorder r;
  EXPECT_EQ(r.Run("probe  x"), 7);
  EXPECT_EQ(r.Run("probe"), 7);
  EXPECT_EQ(r.Run("probe "), 7);
  EXPECT_EQ(r.Run("PROBE a b", 1, "s.kbs"), 7);
  EXPECT_EQ(r.seen, (Strings{" x|0|", "|0|", "|0|", "a b|1|s.kbs"}));
}

TEST(ConsoleDispatch, EchoKeepsEveryBlankAndUnquotes) {
  ConsoleTestClient c;
  c.Run("echo  x");
  c.Run("echo \"a  b\"");
  c.Run("echo a  b");
  c.Run("echo \\\"x\\\"");
  c.Run("ECHO caps");
  EXPECT_EQ(c.Texts(), (Strings{" x", "a  b", "a  b", "\"x\"", "caps"}));
}

TEST(ConsoleDispatch, ThreeQuotesProtectOnlyTheFirstPair) {
  Recorder r;
  r.Run("probe \"a b\" \"c d");
  EXPECT_EQ(r.seen.at(0),
            "\"a\x02"
            "b\" \"c d|0|");
  r.Run("probe \"\"\"");
  EXPECT_EQ(r.seen.at(1), "\"\"\"|0|");
}

TEST(ConsoleDispatch, UnknownNamesAreReportedAsTyped) {
  ConsoleTestClient c;
  EXPECT_EQ(c.Run("echo,hi"), 1);
  EXPECT_EQ(c.Run("Nope x"), 1);
  EXPECT_EQ(c.Run(" echo x"), 1);
  EXPECT_EQ(c.Run(""), 1);
  EXPECT_EQ(c.Texts(), (Strings{"Den Befehl \"echo,hi\" gibt es nicht.", "Den Befehl \"Nope\" gibt es nicht.",
                                "Den Befehl \" echo x\" gibt es nicht.", "Den Befehl \"\" gibt es nicht."}));
  for (Colour colour : c.Colours()) EXPECT_EQ(colour, kConsoleRed);
}

TEST(ConsoleDispatch, ScriptsHearOfUnknownNamesOnlyInDevMode) {
  ConsoleTestClient c;
  EXPECT_EQ(c.Run("nope", 1, "a.kbs"), 1);
  EXPECT_EQ(c.Run("", 1, "a.kbs"), 1);
  EXPECT_TRUE(c.Texts().empty());
  c.client.frame.devMode = 1;
  c.Run("nope", 1, "a.kbs");
  EXPECT_EQ(c.Texts(), (Strings{"Den Befehl \"nope\" gibt es nicht."}));
}

TEST(ConsoleDispatch, TableHoldsAllCommandsSortedByName) {
  ConsoleTestClient c;
  const auto& table = c.client.console.commandTable;
  ASSERT_EQ(table.size(), 34u);
  for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].name, table[i].name);
  int hidden = 0;
  for (const auto& record : table) {
    hidden += record.hidden;
    EXPECT_EQ(record.hidden != 0, record.help.empty()) << record.name;
  }
  EXPECT_EQ(hidden, 23);
}

TEST(ConsoleDispatch, HelpListsPublicNamesCapitalised) {
  ConsoleTestClient c;
  c.Run("help");
  EXPECT_EQ(c.Texts(), (Strings{"Admin", "Bots", "Clear", "Connect", "Dump", "Exec", "Exit", "Mode", "Pause",
                                "Upgrades", "Verwirrung"}));
}

TEST(ConsoleDispatch, HelpTextsAndHiddenNames) {
  ConsoleTestClient c;
  c.Run("help dump");
  c.Run("help exec");
  c.Run("help mode");
  c.Run("help connect");
  c.Run("help echo");
  c.Run("help Echo");
  c.Run("help  dump");
  EXPECT_EQ(
      c.Texts(),
      (Strings{
          "Dump ([datei]): Den Inhalt der Konsole in eine Datei (standard \"ConsoleDump.txt\") speichern",
          "Exec [datei]: Ein Kringelbahn Script ausf\xFChren", "Mode [modus]: Modus \xE4ndern",
          "Connect [ip] ([port]): Mit einem Server verbinden", "Den Befehl \"echo\" gibt es nicht.",
          "Den Befehl \"Echo\" gibt es nicht.", "Den Befehl \" dump\" gibt es nicht."}));
  EXPECT_EQ(c.Colours().at(0), kConsoleWhite);
  EXPECT_EQ(c.Colours().at(4), kConsoleRed);
}

TEST(ConsoleDispatch, HelpIsSilentInScripts) {
  ConsoleTestClient c;
  EXPECT_EQ(c.Run("help", 1, "a.kbs"), 1);
  EXPECT_EQ(c.Run("help dump", 1, "a.kbs"), 1);
  EXPECT_TRUE(c.Texts().empty());
}

TEST(ConsoleDispatch, DeepNestingIsCutOffInsteadOfOverflowing) {
  ConsoleTestClient c;
  c.client.console.isOpen = 1;
  std::string line;
  for (int i = 0; i < 100000; ++i) line += "if open ";
  line += "echo deep";
  EXPECT_EQ(c.Run(line), 1);
  EXPECT_TRUE(c.Texts().empty());
  std::string shallow;
  for (int i = 0; i < 10; ++i) shallow += "if open ";
  c.Run(shallow + "echo shallow");
  EXPECT_EQ(c.Texts(), (Strings{"shallow"}));
}

}  // namespace
}  // namespace kb
