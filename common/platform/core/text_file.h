#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kb {

// Reads a text file line by line. CR LF, LF, CR or a zero byte end a line;
// any bytes are accepted. Lines have no length limit unless one is set.
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
  // Lines longer than this many bytes are read past; ReadLine then returns
  // an empty line and LineTooLong() says so.
  void SetLineLimit(size_t bytes) { limit_ = bytes; }
  bool LineTooLong() const { return tooLong_; }

 private:
  // The next byte, or -1 at the end.
  int Next();
  int Peek();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t position_ = 0;
  size_t filled_ = 0;
  size_t limit_ = static_cast<size_t>(-1);
  bool tooLong_ = false;
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
