#include "common/platform/core/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

TEST(Files, FileSizeCountsBytesAndMarksMissingFiles) {
  TempDir dir;
  dir.Write("empty.kbs", "");
  dir.Write("five.txt", std::string("ab\0cd", 5));
  EXPECT_EQ(FileSize(dir.File("empty.kbs")), 0);
  EXPECT_EQ(FileSize(dir.File("five.txt")), 5);
  EXPECT_EQ(FileSize(dir.File("missing.kbs")), -1);
  EXPECT_EQ(FileSize(""), -1);
  // A directory is not a file that could be run or read.
  EXPECT_EQ(FileSize(dir.Path()), -1);
}

TEST(Files, WildcardMatchesLikeTheShell) {
  EXPECT_TRUE(WildcardMatch("*.kbs", "autoexec.kbs"));
  EXPECT_TRUE(WildcardMatch("*.kbs", "AUTOEXEC.KBS"));
  EXPECT_TRUE(WildcardMatch("*.kbs", ".kbs"));
  EXPECT_FALSE(WildcardMatch("*.kbs", "autoexec.kbs.bak"));
  EXPECT_FALSE(WildcardMatch("*.kbs", "kbs"));
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_TRUE(WildcardMatch("*", ""));
  EXPECT_TRUE(WildcardMatch("**a*", "bab"));
  EXPECT_FALSE(WildcardMatch("", "a"));
  // Backtracking past a partial match.
  EXPECT_TRUE(WildcardMatch("*ab*ab", "aabxabab"));
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", std::string(200, 'a')));
}

TEST(Files, ListDirectoryFiltersSortsAndMarksDirectories) {
  TempDir dir;
  dir.Write("zeta.kbs", "x");
  dir.Write("alpha.kbs", "x");
  dir.Write("notes.txt", "x");
  ASSERT_EQ(mkdir(dir.File("sub.kbs").c_str(), 0755), 0);

  auto entries = ListDirectory(dir.Path() + "/*.kbs");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "alpha.kbs");
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_EQ(entries[1].name, "sub.kbs");
  EXPECT_TRUE(entries[1].isDirectory);
  EXPECT_EQ(entries[2].name, "zeta.kbs");

  auto all = ListDirectory(dir.Path() + "/*");
  EXPECT_EQ(all.size(), 4u);  // never "." or ".."
  EXPECT_TRUE(ListDirectory(dir.File("missing") + "/*").empty());
}

TEST(Files, ListDirectoryWithoutPathReadsTheCurrentDirectory) {
  TempDir dir;
  dir.Write("script.kbs", "");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  auto entries = ListDirectory("*.KBS");
  ASSERT_EQ(chdir(previous), 0);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "script.kbs");
}

TEST(Files, HomeDirectoryFollowsHomeWithoutTrailingSlash) {
  std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/tmp/somewhere///", 1);
  EXPECT_EQ(HomeDirectory(), "/tmp/somewhere");
  setenv("HOME", "/", 1);
  EXPECT_EQ(HomeDirectory(), "/");
  // Without HOME the password database still names a directory.
  unsetenv("HOME");
  EXPECT_FALSE(HomeDirectory().empty());
  if (!saved.empty()) setenv("HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace kb
