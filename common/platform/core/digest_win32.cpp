#include <windows.h>
// After windows.h, which they need.
#include <bcrypt.h>
#include <wincrypt.h>

#include "common/platform/core/digest.h"

namespace kb {

std::string Sha1Base64(std::string_view bytes) {
  // Opened once and kept: opening a provider costs far more than a hash.
  static const BCRYPT_ALG_HANDLE algorithm = [] {
    BCRYPT_ALG_HANDLE handle = nullptr;
    return BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA1_ALGORITHM, nullptr, 0) == 0 ? handle : nullptr;
  }();
  UCHAR digest[20];
  if (!algorithm ||
      BCryptHash(algorithm, nullptr, 0, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                 static_cast<ULONG>(bytes.size()), digest, sizeof digest) != 0)
    return {};
  char text[32];
  DWORD length = sizeof text;
  if (!CryptBinaryToStringA(digest, sizeof digest, CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF, text, &length))
    return {};
  return std::string(text, length);
}

}  // namespace kb
