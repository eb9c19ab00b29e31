#include "common/platform/core/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/temp_dir.h"

namespace kb {
namespace {

std::vector<std::string> ReadAll(const TempDir& dir, const std::string& bytes) {
  dir.Write("in.txt", bytes);
  TextFileReader reader;
  std::vector<std::string> lines;
  if (!reader.Open(dir.File("in.txt"))) return {"<not opened>"};
  std::string line;
  while (reader.ReadLine(line)) {
    lines.push_back(line);
    if (lines.size() > 100000) break;
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextFileReader, EveryKindOfLineEndSplitsLines) {
  TempDir dir;
  EXPECT_EQ(ReadAll(dir, "a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadAll(dir, std::string("say hi\0echo\0", 12)), (Lines{"say hi", "echo"}));
  // LF CR is two line ends; CR LF is one.
  EXPECT_EQ(ReadAll(dir, "a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAll(dir, "a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAll(dir, "\r"), (Lines{""}));
  EXPECT_EQ(ReadAll(dir, ""), Lines{});
}

TEST(TextFileReader, CrLfSplitAcrossTheReadBufferIsOneLineEnd) {
  TempDir dir;
  // The reader fills 64 KiB at a time; put the CR last in the first fill.
  std::string first(64 * 1024 - 1, 'x');
  Lines lines = ReadAll(dir, first + "\r\nnext");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], first);
  EXPECT_EQ(lines[1], "next");
}

TEST(TextFileReader, LongLinesAndBinaryGarbageAreReadWhole) {
  TempDir dir;
  std::string longLine(300 * 1000, 'q');
  Lines lines = ReadAll(dir, longLine + "\nend");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), longLine.size());

  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919 + 13) & 255);
  size_t total = 0, count = 0;
  for (const std::string& line : ReadAll(dir, garbage)) total += line.size(), ++count;
  size_t ends = 0;
  for (size_t i = 0; i < garbage.size(); ++i) {
    char c = garbage[i];
    ends += c == '\n' || c == '\0' || c == '\r';
    if (c == '\r' && i + 1 < garbage.size() && garbage[i + 1] == '\n') ++i, ++ends;
  }
  // Every byte is either in a line or in a line end.
  EXPECT_EQ(total + ends, garbage.size());
  EXPECT_GE(count, 1u);
}

TEST(TextFileReader, MissingFileAndEndTest) {
  TempDir dir;
  TextFileReader reader;
  EXPECT_FALSE(reader.Open(dir.File("missing.kbs")));
  std::string line = "stale";
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_TRUE(line.empty());

  dir.Write("one.kbs", "one\n");
  ASSERT_TRUE(reader.Open(dir.File("one.kbs")));
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "one");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST(TextFileWriter, WritesCrLfAndReplacesTheFile) {
  TempDir dir;
  dir.Write("dump.txt", "old content that is longer than the new");
  TextFileWriter writer;
  ASSERT_TRUE(writer.Create(dir.File("dump.txt")));
  writer.WriteLine("Willkommen");
  writer.WriteLine("");
  writer.WriteLine("\xE4\xF6\xFC");
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(dir.Read("dump.txt"), "Willkommen\r\n\r\n\xE4\xF6\xFC\r\n");
}

TEST(TextFileWriter, FailuresAreReported) {
  TempDir dir;
  TextFileWriter writer;
  EXPECT_FALSE(writer.Create(dir.File("no/such/dir.txt")));
  writer.WriteLine("lost");  // harmless without a file
  EXPECT_FALSE(writer.Close());
  // A device that is always full: the write is not reported as success.
  if (writer.Create("/dev/full")) {
    writer.WriteLine(std::string(100000, 'x'));
    EXPECT_FALSE(writer.Close());
  }
}

}  // namespace
}  // namespace kb
