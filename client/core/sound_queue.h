#pragma once

#include <optional>
#include <vector>

namespace kb {

// The events the client gives a sound to; the platform plays them.
enum class SoundEffect {
  kCountdownTick,
  kRoundStart,
  kCrash,
  kItemPickup,
  kItemUse,
  kConfusion,
  kRoundWinner,
  kGameWinner,
  kChat,
};
constexpr int kSoundEffects = 9;

constexpr int kDefaultVolume = 40;
constexpr int kMaxVolume = 100;

// The effects of the events since the frame loop last took them, and the
// volume they are played at. Core only queues; nothing here makes a noise.
struct SoundQueue {
  // 0..kMaxVolume; 0 queues nothing.
  int volume = kDefaultVolume;
  std::vector<SoundEffect> pending;
  // The effect of the screen switched to last: a screen replaced within the
  // same frame (a round's start that turns out to end the game) is not heard.
  std::optional<SoundEffect> screen;
  // Whether the round was confused at the last step, so only its start sounds.
  bool confused = false;
};

// Queues an effect once, however often its event happens before the next take.
void QueueSound(SoundQueue& queue, SoundEffect effect);
// The effect of showing a game state (the local round's screens); other
// screens silence one switched to before them.
void QueueScreenSound(SoundQueue& queue, int gameState);
// The effects queued since the last take, the screen's last.
std::vector<SoundEffect> TakeSounds(SoundQueue& queue);

}  // namespace kb
