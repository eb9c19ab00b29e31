#include "tests/support/child_process.h"

#include <regex>

namespace kb::testing {

std::vector<std::string> ChildProcess::Until(const std::string& pattern, int lines) {
  std::regex wanted(pattern);
  for (int i = 0; i < lines; ++i) {
    std::string line = ReadLine();
    if (line.empty()) break;
    std::smatch match;
    if (std::regex_search(line, match, wanted)) return {match.begin(), match.end()};
  }
  return {};
}

}  // namespace kb::testing
