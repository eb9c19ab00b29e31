#include "client/core/round_steps.h"

#include "client/core/bots.h"
#include "client/core/client.h"
#include "client/core/head_motion.h"
#include "client/core/items.h"
#include "client/core/key_latch.h"
#include "client/core/local_game.h"
#include "client/core/scoring.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

constexpr int kStartPauseMs = 1000;
constexpr int kSteerIntervalMs = 10;
constexpr int kMoveIntervalMs = 50;

bool EscapePressed(Client& client) {
  return EdgePressed(client.input.KeyDown(scan::kEscape), client.frame.escapeLatch);
}

// Escape from a running game: everybody leaves, scores are forgotten.
void LeaveToMenu(Client& client) {
  for (PlayerRecord& p : client.round.players) {
    p.score = 0;
    p.active = 0;
  }
  // A pause must not carry over into the next game.
  client.round.paused = 0;
  SetGameState(client, kStateMenu);
}

struct SlotKeys {
  bool left, right, use;
};

// Slot 6 has no keys of its own; the mouse buttons stand in for them.
SlotKeys ReadSlotKeys(Client& client, int slot) {
  const PlayerRecord& p = client.round.players[slot];
  Input& input = client.input;
  SlotKeys keys{input.KeyDown(p.leftKey), input.KeyDown(p.rightKey), input.KeyDown(p.useKey)};
  // Ctrl chords (Ctrl+P, Ctrl+F) share letters with slot keys; they are not steering.
  if (input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl)) keys = {};
  if (slot == kMouseSlot) {
    // The frame loop queries the left button once per frame for everybody.
    keys.left = client.frame.leftButton || keys.left;
    keys.right = input.AsyncKey(vk::kRightButton) || keys.right;
    keys.use = input.AsyncKey(vk::kMiddleButton) || keys.use;
  }
  return keys;
}

void SteerSlot(Client& client, int slot, int64_t now) {
  RoundState& round = client.round;
  PlayerRecord& p = round.players[slot];
  UpdateHeldItem(round, p, now);
  if (OutsideBorder(p)) {
    p.dead = 1;
    AwardElimination(round);
    return;
  }
  SlotKeys keys = ReadSlotKeys(client, slot);
  float turn = Confused(round, now) ? -kSteerDegrees : kSteerDegrees;
  if (keys.left) p.heading -= turn;
  if (keys.right) p.heading += turn;
  if (keys.use) ActivateItem(round, p, now);
  WrapHeading(p);
}

}  // namespace

void SteeringStep(Client& client) {
  int64_t now = client.clock.Now();
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = client.round.players[i];
    if (p.active && !p.dead) SteerSlot(client, i, now);
  }
  SteerBots(client);
  client.round.steerTime = now;
}

void MovementStep(Client& client) {
  RoundState& round = client.round;
  int64_t now = client.clock.Now();
  for (int i = 0; i < kPlayerSlots; ++i) {
    PlayerRecord& p = round.players[i];
    if (!p.active || p.dead) continue;
    if (MoveHead(p, round.trailImage, client.random, now, StepLength(p), !PassesTrails(p),
                 round.playerColours[i])) {
      p.dead = 1;
      AwardElimination(round);
    }
  }
  MoveBots(client);
  round.moveTime = now;
}

void StartStep(Client& client) {
  RoundState& round = client.round;
  if (client.clock.Now() - round.roundStartTime > kStartPauseMs) {
    ScheduleRoundTimers(client);
    SetGameState(client, kStateGame);
  }
  if (EscapePressed(client)) LeaveToMenu(client);
}

void GameStep(Client& client) {
  RoundState& round = client.round;
  Input& input = client.input;
  bool ctrl = input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl);
  if (EdgePressed(ctrl && input.KeyDown(scan::kP), round.pauseLatch)) round.paused = 1 - round.paused;

  RescheduleTimers(client);
  int64_t now = client.clock.Now();
  if (now - round.steerTime > kSteerIntervalMs && !round.paused) SteeringStep(client);
  if (now - round.moveTime > kMoveIntervalMs && !round.paused) MovementStep(client);
  // Also while paused: a console "kill" or a switched-off slot can end the round.
  if (CountEliminated(client) >= CountParticipants(client) - 1) SetGameState(client, kStateEndRound);

  if (EscapePressed(client)) LeaveToMenu(client);
}

void NextRound(Client& client) {
  RoundState& round = client.round;
  int64_t now = client.clock.Now();
  round.trailImage.Clear(0);
  // No half degree here, unlike the first round of a game.
  for (PlayerRecord& p : round.players) PlaceHead(p, client.random, now, 0.0f);
  PlaceBotsForNewRound(client);
  SetGameState(client, kStateStart);
  round.roundStartTime = now;
  CheckGameEnd(client);
}

void EndRoundStep(Client& client) {
  if (client.input.KeyDown(scan::kSpace)) NextRound(client);
  if (EscapePressed(client)) LeaveToMenu(client);
}

void EndStep(Client& client) {
  bool space = EdgePressed(client.input.KeyDown(scan::kSpace), client.round.endSpaceLatch);
  bool escape = EscapePressed(client);
  if (space || escape) LeaveToMenu(client);
}

}  // namespace kb
