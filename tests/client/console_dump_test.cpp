#include <gtest/gtest.h>

#include "tests/client/console_test_client.h"

namespace kb {
namespace {

using Strings = std::vector<std::string>;

TEST(ConsoleDump, WritesEveryLineWithCrLf) {
  ConsoleTestClient c;
  TempWorkDir dir;
  c.Run("echo first");
  ConsolePrint(c.client, "second \xE4", kConsoleRed);
  c.Run("dump");
  EXPECT_EQ(TempWorkDir::Read("ConsoleDump.txt"), "first\r\nsecond \xE4\r\n");
  c.Run("dump \"my console dump.txt\"");
  EXPECT_EQ(TempWorkDir::Read("my console dump.txt"), "first\r\nsecond \xE4\r\n");
  EXPECT_EQ(c.Texts().size(), 2u);
}

TEST(ConsoleDump, EmptyHistoryGivesAnEmptyFile) {
  ConsoleTestClient c;
  TempWorkDir dir;
  TempWorkDir::Write("old.txt", "previous contents");
  c.Run("dump old.txt", 1, "a.kbs");
  EXPECT_TRUE(std::filesystem::exists("old.txt"));
  EXPECT_EQ(TempWorkDir::Read("old.txt"), "");
}

TEST(ConsoleDump, FailureIsReportedOnlyWhenTyped) {
  ConsoleTestClient c;
  TempWorkDir dir;
  TempWorkDir::Write("plain", "x");
  c.Run("dump plain/inside.txt", 1, "a.kbs");
  c.Run("dump /nonexistent/folder/d.txt", 1, "a.kbs");
  EXPECT_TRUE(c.Texts().empty());
  c.Run("dump \"no such/folder.txt\"");
  c.Run("dump \"\"");
  EXPECT_EQ(c.Texts(), (Strings{"Datei \"no such/folder.txt\" konnte nicht erstellt werden.",
                                "Datei \"\" konnte nicht erstellt werden."}));
  EXPECT_EQ(c.Colours().at(0), kConsoleRed);
  // The history is untouched by a failed dump.
  c.Run("dump");
  EXPECT_EQ(TempWorkDir::Read("ConsoleDump.txt"),
            "Datei \"no such/folder.txt\" konnte nicht erstellt werden.\r\n"
            "Datei \"\" konnte nicht erstellt werden.\r\n");
}

TEST(ConsoleDump, ListShowsScriptFilesOnly) {
  ConsoleTestClient c;
  TempWorkDir dir;
  TempWorkDir::Write("b.kbs", "");
  TempWorkDir::Write("a.KBS", "");
  TempWorkDir::Write("c.txt", "");
  std::filesystem::create_directory("dir.kbs");
  c.Run("list");
  EXPECT_EQ(c.Texts(), (Strings{"a.KBS", "b.kbs"}));
}

}  // namespace
}  // namespace kb
