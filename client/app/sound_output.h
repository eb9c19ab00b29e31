#pragma once

namespace kb {

struct Client;

// Opens the sound output once the volume is above 0; a machine without an
// audio device plays silently and says so once in the console.
void OpenSound(Client& client);
// Hands the effects queued since the last pass to the output.
void PlaySounds(Client& client);

}  // namespace kb
