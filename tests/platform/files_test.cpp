#include "common/platform/core/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

TEST(Files, ShellWildcardsSizesAndListings) {
  const struct {
    const char* pattern;
    std::string name;
    bool match;
  } cases[] = {// clang-format off
      {"*.kbs", "AUTOEXEC.KBS", true}, {"*.kbs", "a.kbs.bak", false}, {"a?c", "abc", true},
      {"a?c", "ac", false}, {"*", "", true},
      {"*ab*ab", "aabxabab", true},  // backtracking past a partial match
      {"*a*a*a*a*a*a*a*a*b", std::string(200, 'a'), false}};  // and without blowing up
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
  TempDir dir;
  for (const char* name : {"zeta.kbs", "alpha.kbs"}) dir.Write(name, "");
  dir.Write("notes.txt", std::string("ab\0cd", 5));
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("sub.kbs")));
  // A directory is not a file to run or read.
  for (auto [name, size] : {std::pair{"alpha.kbs", 0}, {"notes.txt", 5}, {"missing.kbs", -1}, {"sub.kbs", -1}})
    EXPECT_EQ(FileSize(dir.File(name)), size) << name;
  auto entries = ListDirectory(dir.Path() + "/*.kbs");
  std::string seen;
  for (const DirEntry& entry : entries) seen += entry.name + (entry.isDirectory ? "/ " : " ");
  EXPECT_EQ(seen, "alpha.kbs sub.kbs/ zeta.kbs ");
  EXPECT_TRUE(ListDirectory(dir.File("missing") + "/*").empty());

  // Without a path: the current directory.
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  entries = ListDirectory("*.TXT");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(entries.size() == 1 && entries[0].name == "notes.txt");
}

}  // namespace
}  // namespace kb
