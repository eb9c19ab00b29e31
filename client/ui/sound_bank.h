#pragma once

#include <vector>

#include "common/platform/core/audio.h"

namespace kb {

// The game's effects, synthesised: one per SoundEffect, in its order.
std::vector<SoundSamples> BuildSoundBank();

}  // namespace kb
