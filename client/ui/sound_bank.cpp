#include "client/ui/sound_bank.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "client/core/sound_queue.h"

namespace kb {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Well below full scale: several effects at once must not clip, and soft
// tones tire less over an evening.
constexpr double kLevel = 0.3 * 32767;

enum class Wave { kSine, kSquare, kNoise };

struct Note {
  double startHz, endHz;  // a glide when they differ
  int ms;
  Wave wave = Wave::kSine;
  double vibratoHz = 0;  // a wobble of a fifth of the pitch
};

// Appends notes one after another, each with a short rise and a fall that
// keeps a click out of its ends.
void Append(SoundSamples& out, std::initializer_list<Note> notes) {
  uint32_t noise = 0x2545F491u;
  for (const Note& note : notes) {
    int count = note.ms * kSoundRate / 1000;
    double phase = 0;
    for (int i = 0; i < count; ++i) {
      double t = static_cast<double>(i) / count;
      double hz = note.startHz + (note.endHz - note.startHz) * t;
      if (note.vibratoHz > 0) hz *= 1 + 0.2 * std::sin(2 * kPi * note.vibratoHz * i / kSoundRate);
      phase += 2 * kPi * hz / kSoundRate;
      double value = std::sin(phase);
      if (note.wave == Wave::kSquare) value = value >= 0 ? 0.6 : -0.6;
      if (note.wave == Wave::kNoise) {
        noise = noise * 1664525u + 1013904223u;
        value = static_cast<double>(noise >> 16) / 32768.0 - 1.0;
      }
      double rise = std::min(1.0, i / (0.005 * kSoundRate));
      double fall = std::pow(1 - t, 2);
      out.push_back(static_cast<int16_t>(std::lround(kLevel * value * rise * fall)));
    }
  }
}

SoundSamples Effect(std::initializer_list<Note> notes) {
  SoundSamples samples;
  Append(samples, notes);
  return samples;
}

// Mixes a second layer into the start of a sound.
void Layer(SoundSamples& samples, std::initializer_list<Note> notes) {
  SoundSamples layer = Effect(notes);
  if (layer.size() > samples.size()) samples.resize(layer.size());
  for (size_t i = 0; i < layer.size(); ++i) samples[i] = static_cast<int16_t>((samples[i] + layer[i]) / 2);
}

}  // namespace

std::vector<SoundSamples> BuildSoundBank() {
  std::vector<SoundSamples> bank(kSoundEffects);
  auto at = [&bank](SoundEffect e) -> SoundSamples& { return bank[static_cast<size_t>(e)]; };
  at(SoundEffect::kCountdownTick) = Effect({{880, 880, 70}});
  at(SoundEffect::kRoundStart) = Effect({{660, 660, 90}, {1320, 1320, 260}});
  at(SoundEffect::kCrash) = Effect({{0, 0, 280, Wave::kNoise}});
  Layer(at(SoundEffect::kCrash), {{180, 50, 220}});
  at(SoundEffect::kItemPickup) = Effect({{1047, 1047, 45}, {1319, 1319, 45}, {1568, 1568, 90}});
  at(SoundEffect::kItemUse) = Effect({{300, 1200, 180, Wave::kSquare}});
  at(SoundEffect::kConfusion) = Effect({{520, 380, 450, Wave::kSine, 9}});
  at(SoundEffect::kRoundWinner) = Effect({{784, 784, 120}, {1047, 1047, 280}});
  at(SoundEffect::kGameWinner) =
      Effect({{523, 523, 120}, {659, 659, 120}, {784, 784, 120}, {1047, 1047, 520}});
  at(SoundEffect::kChat) = Effect({{1200, 1200, 40}, {1600, 1600, 60}});
  return bank;
}

}  // namespace kb
