#pragma once

#include <cstdint>
#include <vector>

namespace kb {

// Sounds are mono 16-bit samples at this rate; the device converts.
constexpr int kSoundRate = 22050;

using SoundSamples = std::vector<int16_t>;

// The client's sound output. The SDL implementation lives in
// common/platform/sdl and mixes on SDL's audio thread; nothing here waits for
// the device.
class Audio {
 public:
  virtual ~Audio() = default;

  // Opens the output with the sounds it will play, numbered by their place;
  // false when there is no device.
  virtual bool Open(std::vector<SoundSamples> sounds) = 0;
  // Starts a sound at a volume of 0..100; ignored before a successful Open.
  virtual void Play(int sound, int volume) = 0;
};

}  // namespace kb
