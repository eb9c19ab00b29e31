#include "common/platform/core/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

using Lines = std::vector<std::string>;

Lines ReadAll(const TempDir& dir, const std::string& bytes) {
  dir.Write("in.txt", bytes);
  TextFileReader reader;
  if (!reader.Open(dir.File("in.txt"))) return {"<not opened>"};
  Lines lines;
  std::string line;
  while (lines.size() <= bytes.size() && reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

TEST(TextFile, EveryKindOfLineEndSplitsLinesWritesReadBackFailuresShow) {
  TempDir dir;
  // The reader fills 64 KiB at a time: a CR last in the first fill and its LF
  // first in the next are still one line end.
  const std::string full(64 * 1024 - 1, 'x'), longLine(300 * 1000, 'q');
  const std::pair<std::string, Lines> cases[] = {
      // clang-format off
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}}, {std::string("say hi\0echo\0", 12), {"say hi", "echo"}},
      {"a\n\rb", {"a", "", "b"}}, {"a\r\n\r\nb\r\n", {"a", "", "b"}},  // LF CR is two line ends, CR LF one
      {"\r", {""}}, {"", {}}, {full + "\r\nnext", {full, "next"}}, {longLine + "\nend", {longLine, "end"}}};
  // clang-format on
  for (const auto& [bytes, lines] : cases) EXPECT_EQ(ReadAll(dir, bytes), lines) << bytes.substr(0, 20);

  dir.Write("dump.txt", "old content that is longer than the new");
  TextFileWriter writer;
  ASSERT_TRUE(writer.Create(dir.File("dump.txt")));
  for (const char* line : {"Willkommen", "\xE4\xF6\xFC"}) writer.WriteLine(line);
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(dir.Read("dump.txt"), "Willkommen\r\n\xE4\xF6\xFC\r\n");

  TextFileReader reader;
  std::string line;
  ASSERT_TRUE(reader.Open(dir.File("dump.txt")));
  EXPECT_TRUE(reader.ReadLine(line) && !reader.AtEnd() && reader.ReadLine(line) && reader.AtEnd());
  EXPECT_TRUE(!reader.ReadLine(line) && line.empty());  // no stale line after the end
  // Failures are reported, not hidden.
  EXPECT_FALSE(reader.Open(dir.File("missing.kbs")) || reader.ReadLine(line));
  EXPECT_FALSE(writer.Create(dir.File("no/such/dir.txt")));
  writer.WriteLine("lost");  // harmless without a file
  EXPECT_FALSE(writer.Close());
  // A device that is always full: the write is not reported as success.
  ASSERT_TRUE(writer.Create("/dev/full"));
  writer.WriteLine(std::string(100000, 'x'));
  EXPECT_FALSE(writer.Close());
}

}  // namespace
}  // namespace kb
