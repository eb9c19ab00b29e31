#include "common/platform/sdl/sdl_audio.h"

#include <SDL.h>

namespace kb {

SdlAudio::~SdlAudio() {
  // Closing joins SDL's audio thread, so the mixer outlives its last call.
  if (device_) SDL_CloseAudioDevice(device_);
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudio::Open(std::vector<SoundSamples> sounds) {
  if (device_) return true;
  if (!initialised_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    initialised_ = true;
  }
  mixer_ = std::make_unique<Mixer>(std::move(sounds));
  SDL_AudioSpec want{};
  want.freq = kSoundRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  // About 23 ms: short enough that a sound follows its event closely.
  want.samples = 512;
  want.callback = Fill;
  want.userdata = this;
  // No allowed changes: SDL converts to what the device takes.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (!device_) {
    mixer_.reset();
    return false;
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudio::Play(int sound, int volume) {
  if (mixer_) mixer_->Play(sound, volume);
}

void SdlAudio::Fill(void* self, uint8_t* stream, int bytes) {
  auto* audio = static_cast<SdlAudio*>(self);
  audio->mixer_->Mix(reinterpret_cast<int16_t*>(stream), bytes / static_cast<int>(sizeof(int16_t)));
}

}  // namespace kb
