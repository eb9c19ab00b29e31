#pragma once

#include <array>

namespace kb {

// Sine and cosine of i / 10 radians for i = 0..3600. Headings in degrees are
// looked up at DirectionIndex, so they act in steps of 0.1 radian.
constexpr int kTrigEntries = 3601;
const std::array<float, kTrigEntries>& SinTable();
const std::array<float, kTrigEntries>& CosTable();

// round(heading * 0.017453292f * 10): degrees to the table index (0..63 for
// 0..360 degrees), clamped into the table.
int DirectionIndex(float heading);

}  // namespace kb
