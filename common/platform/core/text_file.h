#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kb {

// Reads a text file line by line. CR LF, LF, CR or a zero byte end a line;
// lines have no length limit; any bytes are accepted.
class TextFileReader {
 public:
  TextFileReader() = default;
  ~TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  bool Open(const std::string& path);
  // The next line without its end; false at the end of the file. A last line
  // without a line end is still returned.
  bool ReadLine(std::string& line);
  bool AtEnd();
  void Close();

 private:
  // The next byte, or -1 at the end.
  int Next();
  int Peek();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t position_ = 0;
  size_t filled_ = 0;
};

// Writes a text file line by line, each line ended by CR LF.
class TextFileWriter {
 public:
  TextFileWriter() = default;
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Creates or replaces the file.
  bool Create(const std::string& path);
  void WriteLine(const std::string& line);
  // False when any write since Create failed.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace kb
