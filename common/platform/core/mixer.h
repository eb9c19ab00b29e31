#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "common/platform/core/audio.h"

namespace kb {

// Mixes the sounds asked for by one thread into the buffers another thread
// fills. The requests pass through a lock-free ring, so the asking side (the
// frame loop) never waits for the mixing side (the audio device).
class Mixer {
 public:
  explicit Mixer(std::vector<SoundSamples> sounds) : sounds_(std::move(sounds)) {}

  // Asker's side: an unknown sound, a silent volume or a full ring is dropped.
  void Play(int sound, int volume);
  // Mixer's side: fills frames mono samples, silence where nothing plays.
  void Mix(int16_t* out, int frames);

 private:
  struct Request {
    int sound = 0;
    int volume = 0;
  };
  struct Voice {
    const SoundSamples* samples = nullptr;
    size_t position = 0;
    int volume = 0;
  };
  static constexpr uint32_t kRing = 32;
  static constexpr size_t kVoices = 8;

  void Start(const Request& request);

  const std::vector<SoundSamples> sounds_;
  std::array<Request, kRing> ring_{};
  std::atomic<uint32_t> written_{0};
  std::atomic<uint32_t> read_{0};
  std::array<Voice, kVoices> voices_{};
  std::vector<int32_t> sum_;
};

}  // namespace kb
