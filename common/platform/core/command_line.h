#pragma once

#include <string>

namespace kb {

// A whole decimal option value within [low, high] into *out; false, and *out
// untouched, for anything else.
bool ParseNumber(const std::string& text, long low, long high, long* out);

}  // namespace kb
