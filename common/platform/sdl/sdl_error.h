#pragma once

#include <string>

namespace kb {

// The text of SDL's last error, for messages to standard error.
std::string SdlError();

}  // namespace kb
