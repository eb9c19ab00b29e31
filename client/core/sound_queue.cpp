#include "client/core/sound_queue.h"

#include <algorithm>

#include "client/core/game_state.h"

namespace kb {

void QueueSound(SoundQueue& queue, SoundEffect effect) {
  if (queue.volume <= 0) return;
  if (std::find(queue.pending.begin(), queue.pending.end(), effect) == queue.pending.end())
    queue.pending.push_back(effect);
}

void QueueScreenSound(SoundQueue& queue, int gameState) {
  queue.screen.reset();
  if (queue.volume <= 0) return;
  switch (gameState) {
    case kStateStart:
      queue.screen = SoundEffect::kCountdownTick;
      break;
    case kStateGame:
      queue.screen = SoundEffect::kRoundStart;
      break;
    case kStateEndRound:
      queue.screen = SoundEffect::kRoundWinner;
      break;
    case kStateEnd:
      queue.screen = SoundEffect::kGameWinner;
      break;
    default:
      break;
  }
}

std::vector<SoundEffect> TakeSounds(SoundQueue& queue) {
  std::vector<SoundEffect> effects;
  effects.swap(queue.pending);
  if (queue.screen && std::find(effects.begin(), effects.end(), *queue.screen) == effects.end())
    effects.push_back(*queue.screen);
  queue.screen.reset();
  return effects;
}

}  // namespace kb
