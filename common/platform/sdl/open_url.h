#pragma once

#include <string>

namespace kb {

// Hands the address to the desktop's browser; does nothing without a desktop.
void OpenUrl(const std::string& url);

}  // namespace kb
