#pragma once

#include <string>
#include <string_view>

namespace kb {

// The SHA-1 digest of the bytes in base64 (28 characters): what a WebSocket
// handshake answers a key with. Empty when the system's hash fails.
std::string Sha1Base64(std::string_view bytes);

}  // namespace kb
