#include "common/platform/core/random.h"

#include <cstdio>

namespace kb {

Random Random::FromEntropy() {
  std::random_device device;
  return Random((static_cast<uint64_t>(device()) << 32) ^ device());
}

int Random::Next(int n) {
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int>(0, n)(engine_);
}

std::string EntropyId(int groups) {
  std::random_device entropy;
  std::string id;
  char group[9];
  for (int i = 0; i < groups; ++i) {
    std::snprintf(group, sizeof group, "%08x", static_cast<unsigned>(entropy()));
    id += group;
  }
  return id;
}

Random& ThreadRandom() {
  thread_local Random random = Random::FromEntropy();
  return random;
}

}  // namespace kb
