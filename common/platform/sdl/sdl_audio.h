#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/platform/core/audio.h"
#include "common/platform/core/mixer.h"

namespace kb {

// Sound through SDL 2's audio device: SDL's audio thread calls back into the
// mixer, the frame loop only hands it requests.
class SdlAudio final : public Audio {
 public:
  SdlAudio() = default;
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  bool Open(std::vector<SoundSamples> sounds) override;
  void Play(int sound, int volume) override;

 private:
  static void Fill(void* self, uint8_t* stream, int bytes);

  std::unique_ptr<Mixer> mixer_;
  uint32_t device_ = 0;
  bool initialised_ = false;
};

}  // namespace kb
