#include "common/net/score_list.h"

#include "common/net/protocol.h"

namespace kb {
namespace {

std::string_view Piece(std::string_view text, char separator, int n) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t sep = text.find(separator, start);
    if (sep == std::string_view::npos) return {};
    start = sep + 1;
  }
  size_t end = text.find(separator, start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

std::string BuildScoreList(const std::vector<ScoreListEntry>& entries) {
  std::string out;
  for (const ScoreListEntry& e : entries) {
    if (!out.empty()) out.push_back(kEntrySeparator);
    out += std::to_string(e.points);
    out.push_back(kSubFieldSeparator);
    out += std::to_string(static_cast<int>(e.colour));
    out.push_back(kSubFieldSeparator);
    out += std::to_string(e.wins);
  }
  return out;
}

std::vector<ScoreListEntry> ParseScoreList(std::string_view field) {
  std::vector<ScoreListEntry> entries;
  if (field.empty()) return entries;
  size_t start = 0;
  while (true) {
    size_t end = field.find(kEntrySeparator, start);
    std::string_view entry =
        field.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    entries.push_back({ParseNumberText(Piece(entry, kSubFieldSeparator, 0)),
                       static_cast<Colour>(ParseNumberText(Piece(entry, kSubFieldSeparator, 1))),
                       ParseNumberText(Piece(entry, kSubFieldSeparator, 2))});
    if (end == std::string_view::npos || entries.size() == kMaxScoreEntries) break;
    start = end + 1;
  }
  return entries;
}

}  // namespace kb
