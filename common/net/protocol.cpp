#include "common/net/protocol.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <utility>

namespace kb {
namespace {

constexpr std::array<std::pair<Keyword, std::string_view>, 19> kKeywords = {{
    {Keyword::kJoin, "JOIN"},   {Keyword::kPass, "PASS"},     {Keyword::kAngle, "ANGLE"},
    {Keyword::kGo, "GO"},       {Keyword::kColor, "COLOR"},   {Keyword::kChat, "CHAT"},
    {Keyword::kAdmin, "ADMIN"}, {Keyword::kPing, "PING"},     {Keyword::kLeave, "LEAVE"},
    {Keyword::kMode, "MODE"},   {Keyword::kServer, "SERVER"}, {Keyword::kPong, "PONG"},
    {Keyword::kClear, "CLEAR"}, {Keyword::kTime, "TIME"},     {Keyword::kPoint, "POINT"},
    {Keyword::kLine, "LINE"},   {Keyword::kWinner, "WINNER"}, {Keyword::kScores, "SCORES"},
    {Keyword::kPause, "PAUSE"},
}};

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (true) {
    size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

void AppendMessage(std::string& out, std::string_view keyword, std::initializer_list<Field> fields) {
  size_t size = keyword.size() + 1;
  for (const Field& f : fields) size += f.Text().size() + 1;
  // Room for this message only would make every append reallocate.
  if (out.capacity() < out.size() + size) out.reserve(std::max(out.size() + size, 2 * out.capacity()));
  out.append(keyword);
  for (const Field& f : fields) {
    out.push_back(kFieldSeparator);
    out.append(f.Text());
  }
  out.push_back(kMessageTerminator);
}

}  // namespace

Field::Field(int64_t value) {
  auto result = std::to_chars(digits_, digits_ + sizeof digits_, value);
  digitCount_ = static_cast<size_t>(result.ptr - digits_);
}

std::string_view KeywordText(Keyword keyword) {
  for (const auto& [k, text] : kKeywords) {
    if (k == keyword) return text;
  }
  return {};
}

Keyword ParseKeyword(std::string_view text) {
  for (const auto& [k, t] : kKeywords) {
    if (t == text) return k;
  }
  return Keyword::kUnknown;
}

void AppendMessage(std::string& out, Keyword keyword, std::initializer_list<Field> fields) {
  AppendMessage(out, KeywordText(keyword), fields);
}

std::string BuildMessage(Keyword keyword, std::initializer_list<Field> fields) {
  return BuildMessage(KeywordText(keyword), fields);
}

std::string BuildMessage(std::string_view keyword, std::initializer_list<Field> fields) {
  std::string out;
  AppendMessage(out, keyword, fields);
  return out;
}

std::vector<std::string_view> SplitMessages(std::string_view chunk) {
  std::vector<std::string_view> messages;
  size_t start = 0;
  while (true) {
    size_t end = chunk.find(kMessageTerminator, start);
    if (end == std::string_view::npos) break;
    messages.push_back(chunk.substr(start, end - start));
    start = end + 1;
  }
  return messages;
}

std::string_view MessageField(std::string_view message, int n) {
  if (n < 1) return {};
  size_t start = 0;
  for (int i = 1; i < n; ++i) {
    size_t sep = message.find(kFieldSeparator, start);
    if (sep == std::string_view::npos) return {};
    start = sep + 1;
  }
  size_t end = message.find(kFieldSeparator, start);
  return message.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

int ParseNumberText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;  // saturate instead of overflowing
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  return static_cast<int>(value);
}

int MessageNumber(std::string_view message, int n) { return ParseNumberText(MessageField(message, n)); }

std::string EncodeServerName(std::string_view name) { return ReplaceAll(name, " ", "%20"); }

std::string DecodeServerName(std::string_view name) { return ReplaceAll(name, "%20", " "); }

}  // namespace kb
