#include "common/platform/core/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "common/platform/core/files.h"
#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

TEST(IniFile, KeysInAnyCaseOddLayoutsAndNumbersReadAsFarAsTheyGo) {
  IniFile ini;
  // Keys before any group line, blanks, comments, LF or CR only, duplicates.
  ini.Parse(
      "X = 1\r  [ Window ]  \r\nx = 120\r\nY=-40\r\n; Z = 2\n\tZ\t=\t3\nZ = 4\n=5\nnoequals\n"
      "[Other]\nX = 999\n[Last\nY = 6");
  // A window may sit left of or above the desktop; the first of two keys
  // counts; an unclosed group line still names the group; missing is 7.
  for (auto [group, key, value] : {std::tuple{"", "X", 1}, {"WINDOW", "X", 120}, {"window", "y", -40},
                                   {"Window", "Z", 3}, {"Other", "x", 999}, {"Last", "Y", 6},
                                   {"Window", "Missing", 7}, {"Missing", "X", 7}})
    EXPECT_EQ(ini.ReadInt(group, key, 7), value) << group << "/" << key;
  // clang-format off
  const std::pair<const char*, int> cases[] = {{"abc", 0}, {"", 0}, {"12abc", 12}, {"- 5", 0}, {"  +8", 8},
      {"0x10", 0}, {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
  // clang-format on
  for (auto [value, expected] : cases) {
    IniFile ini;
    ini.Parse(std::string("[Window]\nA =") + value + "\n");
    EXPECT_EQ(ini.ReadInt("Window", "A", 5), expected) << value;
  }
}

// The file is replaced whole or not at all; only regular files are read or
// replaced (a FIFO with no writer would block an ordinary open for ever).
TEST(WriteIni, ReplacesRegularFilesWholeOrNotAtAll) {
  TempDir dir;
  std::string path = dir.File("Kringelbahn.ini");
  const std::string written = "[Window]\r\nX = -8\r\nY = 300\r\nFullscreen = 0\r\n";
  dir.Write("Kringelbahn.ini", "[Window]\r\nX = 1\r\nExtra = 9\r\n");
  ASSERT_TRUE(WriteIni(path, "Window", {{"X", -8}, {"Y", 300}, {"Fullscreen", 0}}));
  EXPECT_EQ(dir.Read("Kringelbahn.ini"), written);
  EXPECT_EQ(FileSize(path + ".new"), -1);  // nothing left beside it
  // Write-protected (read-only on Windows).
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder.ini")));
  std::vector<std::string> unusable = {path, dir.File("missing/Kringelbahn.ini"), dir.File("folder.ini")};
#ifdef _WIN32
  unusable.push_back("NUL");
#else
  ASSERT_EQ(mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
  unusable.insert(unusable.end(), {"/dev/null", dir.File("fifo.ini")});
#endif
  for (const std::string& bad : unusable) {
    EXPECT_FALSE(WriteIni(bad, "Window", {{"X", 1}})) << bad;
    if (bad == path) continue;  // read-only is still readable
    IniFile ini;
    EXPECT_FALSE(ini.Load(bad)) << bad;
    EXPECT_EQ(ini.ReadInt("Window", "X", 33), 33);
  }
  EXPECT_EQ(dir.Read("Kringelbahn.ini"), written);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ini")));
}

TEST(WriteIni, LinksStayLinksAndTheTemporaryFileIsNeverShared) {
  TempDir dir;
  dir.Write("real.ini", "[Window]\r\nX = 1\r\n");
  namespace fs = std::filesystem;
  fs::permissions(dir.File("real.ini"), fs::perms::owner_read | fs::perms::owner_write);
  fs::perms permissions = fs::status(dir.File("real.ini")).permissions();
  std::error_code error;
  fs::create_symlink("real.ini", dir.File("Kringelbahn.ini"), error);
#ifdef _WIN32
  // MinGW's library makes none (and wine only pretends to).
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
#endif
  ASSERT_FALSE(error) << error.message();
  // A file planted under a fixed temporary name must not be followed or replaced.
  dir.Write("victim", "keep");
  fs::create_symlink(dir.File("victim"), dir.File("Kringelbahn.ini.new"));

  ASSERT_TRUE(WriteIni(dir.File("Kringelbahn.ini"), "Window", {{"X", 5}}));
  EXPECT_TRUE(fs::is_symlink(dir.File("Kringelbahn.ini")));
  EXPECT_EQ(dir.Read("real.ini"), "[Window]\r\nX = 5\r\n");
  EXPECT_EQ(fs::status(dir.File("real.ini")).permissions(), permissions);  // the file keeps them
  EXPECT_EQ(dir.Read("victim"), "keep");
  // Nothing is left beside the file but what was there.
  int entries = 0;
  for (const DirEntry& e : ListDirectory(dir.File("*"))) entries += e.name[0] != '.';
  EXPECT_EQ(entries, 4);
  EXPECT_EQ(ListDirectory(dir.File(".Kringelbahn*")).size(), 0u);
}

}  // namespace
}  // namespace kb
