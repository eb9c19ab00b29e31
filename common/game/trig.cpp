#include "common/game/trig.h"

#include <cmath>

namespace kb {

namespace {

struct Tables {
  std::array<float, kTrigEntries> sine{};
  std::array<float, kTrigEntries> cosine{};
  Tables() {
    for (int i = 0; i < kTrigEntries; ++i) {
      sine[i] = static_cast<float>(std::sin(i / 10.0));
      cosine[i] = static_cast<float>(std::cos(i / 10.0));
    }
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

const std::array<float, kTrigEntries>& SinTable() { return TheTables().sine; }
const std::array<float, kTrigEntries>& CosTable() { return TheTables().cosine; }

int DirectionIndex(float heading) {
  float scaled = heading * 0.017453292f * 10.0f;
  long index = std::lround(scaled);
  if (index < 0) index = 0;
  if (index >= kTrigEntries) index = kTrigEntries - 1;
  return static_cast<int>(index);
}

}  // namespace kb
