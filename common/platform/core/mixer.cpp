#include "common/platform/core/mixer.h"

#include <algorithm>

namespace kb {

void Mixer::Play(int sound, int volume) {
  if (sound < 0 || static_cast<size_t>(sound) >= sounds_.size() || volume <= 0) return;
  uint32_t written = written_.load(std::memory_order_relaxed);
  if (written - read_.load(std::memory_order_acquire) >= kRing) return;
  ring_[written % kRing] = {sound, std::min(volume, 100)};
  written_.store(written + 1, std::memory_order_release);
}

// A new sound takes a free voice, or the one that has played longest.
void Mixer::Start(const Request& request) {
  Voice* voice = &voices_[0];
  for (Voice& v : voices_) {
    if (!v.samples) {
      voice = &v;
      break;
    }
    if (v.position > voice->position) voice = &v;
  }
  *voice = {&sounds_[static_cast<size_t>(request.sound)], 0, request.volume};
}

void Mixer::Mix(int16_t* out, int frames) {
  uint32_t read = read_.load(std::memory_order_relaxed);
  for (uint32_t end = written_.load(std::memory_order_acquire); read != end; ++read)
    Start(ring_[read % kRing]);
  read_.store(read, std::memory_order_release);

  size_t n = static_cast<size_t>(std::max(frames, 0));
  if (sum_.size() < n) sum_.resize(n);
  std::fill_n(sum_.begin(), n, 0);
  for (Voice& v : voices_) {
    if (!v.samples) continue;
    size_t count = std::min(n, v.samples->size() - v.position);
    const int16_t* from = v.samples->data() + v.position;
    for (size_t i = 0; i < count; ++i) sum_[i] += from[i] * v.volume / 100;
    v.position += count;
    if (v.position >= v.samples->size()) v.samples = nullptr;
  }
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<int16_t>(std::clamp(sum_[i], -32768, 32767));
}

}  // namespace kb
