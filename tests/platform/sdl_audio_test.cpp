#include "common/platform/sdl/sdl_audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "common/platform/core/mixer.h"
#include "tests/platform/temp_dir.h"
#include "tests/support/environment.h"

namespace kb {
namespace {

std::vector<int16_t> Mixed(Mixer& mixer, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames), 123);
  mixer.Mix(out.data(), frames);
  return out;
}

// Volume scales, voices add and clip, a sound ends where it ends; a ninth voice
// replaces the oldest; what cannot be played is dropped.
TEST(Mixer, ScalesAddsClipsAndBoundsItsVoices) {
  Mixer mixer({{10000, -10000, 20000}, {30000, 30000}, SoundSamples(100, 1000)});
  EXPECT_EQ(Mixed(mixer, 2), (std::vector<int16_t>{0, 0}));
  mixer.Play(0, 50);
  EXPECT_EQ(Mixed(mixer, 2), (std::vector<int16_t>{5000, -5000}));
  mixer.Play(1, 100), mixer.Play(1, 100);
  EXPECT_EQ(Mixed(mixer, 3),
            (std::vector<int16_t>{32767, 32767, 0}));  // the first one's last sample, clipped
  for (auto [sound, volume] : {std::pair{0, 0}, {3, 100}, {-1, 100}}) mixer.Play(sound, volume);
  EXPECT_EQ(Mixed(mixer, 1), (std::vector<int16_t>{0}));
  for (int i = 0; i < 40; ++i) mixer.Play(2, 100);
  EXPECT_EQ(Mixed(mixer, 1), (std::vector<int16_t>{8000}));
}

// SDL's disk driver writes what the device played: an effect is heard, volume 0 is silence.
TEST(SdlAudio, TheDiskDriverWritesTheEffectOrSilence) {
  for (int volume : {60, 0}) {
    TempDir dir;
    std::string file = (std::filesystem::path(dir.Path()) / "out.raw").string();
    testing::SetEnv("SDL_AUDIODRIVER", "disk");
    testing::SetEnv("SDL_DISKAUDIOFILE", file);
    {
      SdlAudio audio;
      ASSERT_TRUE(audio.Open({SoundSamples(kSoundRate / 10, 8000)}));
      audio.Play(0, volume);
      std::error_code error;
      for (int i = 0; i < 3000 && std::filesystem::file_size(file, error) < kSoundRate; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }  // closing stops the device's thread
    testing::SetEnv("SDL_AUDIODRIVER", "dummy");
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GE(bytes.size(), size_t{kSoundRate}) << volume;
    EXPECT_EQ(std::any_of(bytes.begin(), bytes.end(), [](char b) { return b != 0; }), volume > 0);
  }
}

}  // namespace
}  // namespace kb
