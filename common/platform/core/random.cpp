#include "common/platform/core/random.h"

namespace kb {

Random Random::FromEntropy() {
  std::random_device device;
  return Random((static_cast<uint64_t>(device()) << 32) ^ device());
}

int Random::Next(int n) {
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int>(0, n)(engine_);
}

Random& ThreadRandom() {
  thread_local Random random = Random::FromEntropy();
  return random;
}

}  // namespace kb
