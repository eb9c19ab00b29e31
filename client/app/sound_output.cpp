#include "client/app/sound_output.h"

#include "client/app/client.h"
#include "client/ui/sound_bank.h"

namespace kb {

void OpenSound(Client& client) {
  if (!client.audio || client.audioState != AudioState::kUntried || client.sound.volume <= 0) return;
  if (client.audio->Open(BuildSoundBank())) {
    client.audioState = AudioState::kOpen;
    return;
  }
  client.audioState = AudioState::kMissing;
  client.consoleLines.Print("Kein Audioger\xE4t gefunden: das Spiel bleibt stumm.", kConsoleAmber);
}

void PlaySounds(Client& client) {
  if (client.sound.pending.empty() && !client.sound.screen) {
    // A volume raised from 0 opens the output before its first effect.
    if (client.sound.volume > 0) OpenSound(client);
    return;
  }
  OpenSound(client);
  for (SoundEffect effect : TakeSounds(client.sound))
    if (client.audioState == AudioState::kOpen)
      client.audio->Play(static_cast<int>(effect), client.sound.volume);
}

}  // namespace kb
