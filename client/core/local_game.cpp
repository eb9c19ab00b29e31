#include "client/core/local_game.h"

#include "client/core/bots.h"
#include "client/core/head_motion.h"
#include "client/core/model.h"
#include "client/core/round_steps.h"

namespace kb {

void NewGame(Model& model) {
  RoundState& round = model.round;
  int64_t now = model.clock.Now();
  for (PlayerRecord& p : round.players) {
    p.score = 0;
    PlaceHead(p, model.random, now, 0.5f);
  }
  // Bots of an earlier game would keep their scores into this one.
  round.botList.clear();
  CreateBots(round, model.random, now);
  round.paused = 0;
  round.roundStartTime = now;
}

int CountParticipants(const RoundState& round) {
  int n = 0;
  for (const PlayerRecord& p : round.players) n += p.active != 0;
  return n + static_cast<int>(round.botList.size());
}

int CountEliminated(const RoundState& round) {
  int n = 0;
  // A slot switched off during the round no longer counts either way.
  for (const PlayerRecord& p : round.players) n += p.active != 0 && p.dead != 0;
  for (const BotRecord& b : round.botList) n += b.dead;
  return n;
}

void LocalGameStep(Model& model) {
  switch (model.frame.gameState) {
    case kStateStart:
      StartStep(model);
      break;
    case kStateGame:
      GameStep(model);
      break;
    case kStateEndRound:
      EndRoundStep(model);
      break;
    case kStateEnd:
      EndStep(model);
      break;
    default:
      break;
  }
}

}  // namespace kb
