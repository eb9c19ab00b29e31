#include "client/core/local_game.h"

#include "client/core/bots.h"
#include "client/core/client.h"
#include "client/core/head_motion.h"
#include "client/core/round_steps.h"

namespace kb {

void NewGame(Client& client) {
  RoundState& round = client.round;
  int64_t now = client.clock.Now();
  for (PlayerRecord& p : round.players) {
    p.score = 0;
    PlaceHead(p, client.random, now, 0.5f);
  }
  // Bots of an earlier game would keep their scores into this one.
  round.botList.clear();
  CreateBots(client);
  round.paused = 0;
  round.roundStartTime = now;
}

int CountParticipants(const Client& client) {
  int n = 0;
  for (const PlayerRecord& p : client.round.players) n += p.active != 0;
  return n + static_cast<int>(client.round.botList.size());
}

int CountEliminated(const Client& client) {
  int n = 0;
  // A slot switched off during the round no longer counts either way.
  for (const PlayerRecord& p : client.round.players) n += p.active != 0 && p.dead != 0;
  for (const BotRecord& b : client.round.botList) n += b.dead;
  return n;
}

void LocalGameStep(Client& client) {
  switch (client.frame.gameState) {
    case kStateStart:
      StartStep(client);
      break;
    case kStateGame:
      GameStep(client);
      break;
    case kStateEndRound:
      EndRoundStep(client);
      break;
    case kStateEnd:
      EndStep(client);
      break;
    default:
      break;
  }
}

}  // namespace kb
