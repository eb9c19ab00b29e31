#include "common/platform/core/text_file.h"

#include "common/platform/core/files.h"

namespace kb {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

TextFileReader::~TextFileReader() { Close(); }

bool TextFileReader::Open(const std::string& path) {
  Close();
  file_ = OpenFile(path, "rb");
  if (!file_) return false;
  buffer_.resize(kBufferSize);
  return true;
}

void TextFileReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  position_ = filled_ = 0;
}

int TextFileReader::Peek() {
  if (position_ == filled_) {
    if (!file_) return -1;
    filled_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    position_ = 0;
    if (filled_ == 0) return -1;
  }
  return static_cast<unsigned char>(buffer_[position_]);
}

int TextFileReader::Next() {
  int c = Peek();
  if (c >= 0) ++position_;
  return c;
}

bool TextFileReader::AtEnd() { return Peek() < 0; }

bool TextFileReader::ReadLine(std::string& line) {
  line.clear();
  tooLong_ = false;
  int c = Next();
  if (c < 0) return false;
  while (c >= 0) {
    if (c == '\n' || c == 0) break;
    if (c == '\r') {
      if (Peek() == '\n') Next();
      break;
    }
    // Copy the run of ordinary bytes in one go.
    size_t start = position_ - 1;
    size_t end = start + 1;
    while (end < filled_) {
      char b = buffer_[end];
      if (b == '\n' || b == '\r' || b == 0) break;
      ++end;
    }
    if (!tooLong_ && end - start > limit_ - line.size()) {
      tooLong_ = true;
      line.clear();
    }
    if (!tooLong_) line.append(buffer_.data() + start, end - start);
    position_ = end;
    c = Next();
  }
  return true;
}

TextFileWriter::~TextFileWriter() { Close(); }

bool TextFileWriter::Create(const std::string& path) {
  Close();
  failed_ = false;
  file_ = OpenFile(path, "wb");
  return file_ != nullptr;
}

void TextFileWriter::WriteLine(const std::string& line) {
  if (!file_) {
    failed_ = true;
    return;
  }
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fputs("\r\n", file_) < 0)
    failed_ = true;
}

bool TextFileWriter::Close() {
  if (!file_) return false;
  bool ok = !failed_;
  if (std::fclose(file_) != 0) ok = false;
  file_ = nullptr;
  return ok;
}

}  // namespace kb
