#include <nettle/base64.h>
#include <nettle/sha1.h>

#include "common/platform/core/digest.h"

namespace kb {

std::string Sha1Base64(std::string_view bytes) {
  sha1_ctx context;
  sha1_init(&context);
  sha1_update(&context, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  uint8_t digest[SHA1_DIGEST_SIZE];
  sha1_digest(&context, sizeof digest, digest);
  std::string text(BASE64_ENCODE_RAW_LENGTH(sizeof digest), '\0');
  base64_encode_raw(text.data(), sizeof digest, digest);
  return text;
}

}  // namespace kb
