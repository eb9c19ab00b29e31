#include "client/core/round_steps.h"

#include "client/core/bots.h"
#include "client/core/head_motion.h"
#include "client/core/items.h"
#include "client/core/key_latch.h"
#include "client/core/local_game.h"
#include "client/core/model.h"
#include "client/core/scoring.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

constexpr int kStartPauseMs = 1000;
constexpr int kSteerIntervalMs = 10;
constexpr int kMoveIntervalMs = 50;

bool EscapePressed(Model& model) {
  return EdgePressed(model.input.KeyDown(scan::kEscape), model.frame.escapeLatch);
}

// Escape from a running game: everybody leaves, scores are forgotten.
void LeaveToMenu(Model& model) {
  for (PlayerRecord& p : model.round.players) {
    p.score = 0;
    p.active = 0;
  }
  // A pause must not carry over into the next game.
  model.round.paused = 0;
  SetGameState(model, kStateMenu);
}

struct SlotKeys {
  bool left, right, use;
};

// Slot 6 has no keys of its own; the mouse buttons stand in for them.
SlotKeys ReadSlotKeys(Model& model, int slot) {
  const PlayerRecord& p = model.round.players[slot];
  Input& input = model.input;
  SlotKeys keys{input.KeyDown(p.leftKey), input.KeyDown(p.rightKey), input.KeyDown(p.useKey)};
  // Ctrl chords (Ctrl+P, Ctrl+F) share letters with slot keys; they are not steering.
  if (input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl)) keys = {};
  if (slot == kMouseSlot) {
    // The frame loop queries the left button once per frame for everybody.
    keys.left = model.frame.leftButton || keys.left;
    keys.right = input.AsyncKey(vk::kRightButton) || keys.right;
    keys.use = input.AsyncKey(vk::kMiddleButton) || keys.use;
  }
  return keys;
}

void SteerSlot(Model& model, int slot, int64_t now) {
  RoundState& round = model.round;
  PlayerRecord& p = round.players[slot];
  if (UpdateHeldItem(round, p, now)) QueueSound(model.sound, SoundEffect::kItemPickup);
  if (OutsideBorder(p)) {
    p.dead = 1;
    AwardElimination(round);
    return;
  }
  SlotKeys keys = ReadSlotKeys(model, slot);
  float turn = Confused(round, now) ? -kSteerDegrees : kSteerDegrees;
  if (keys.left) p.heading -= turn;
  if (keys.right) p.heading += turn;
  if (keys.use && ActivateItem(round, p, now)) QueueSound(model.sound, SoundEffect::kItemUse);
  WrapHeading(p);
}

}  // namespace

void SteeringStep(Model& model) {
  int64_t now = model.clock.Now();
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = model.round.players[i];
    if (p.active && !p.dead) SteerSlot(model, i, now);
  }
  SteerBots(model.round, model.random, now);
  model.round.steerTime = now;
}

void MovementStep(Model& model) {
  RoundState& round = model.round;
  int64_t now = model.clock.Now();
  for (int i = 0; i < kPlayerSlots; ++i) {
    PlayerRecord& p = round.players[i];
    if (!p.active || p.dead) continue;
    if (MoveHead(p, round.trailImage, model.random, now, StepLength(p), !PassesTrails(p),
                 round.playerColours[i])) {
      p.dead = 1;
      AwardElimination(round);
    }
  }
  MoveBots(round, model.random, now);
  round.moveTime = now;
}

void StartStep(Model& model) {
  RoundState& round = model.round;
  if (model.clock.Now() - round.roundStartTime > kStartPauseMs) {
    ScheduleRoundTimers(round, model.random, model.clock.Now());
    SetGameState(model, kStateGame);
  }
  if (EscapePressed(model)) LeaveToMenu(model);
}

void GameStep(Model& model) {
  RoundState& round = model.round;
  Input& input = model.input;
  bool ctrl = input.KeyDown(scan::kLeftCtrl) || input.KeyDown(scan::kRightCtrl);
  if (EdgePressed(ctrl && input.KeyDown(scan::kP), round.pauseLatch)) round.paused = 1 - round.paused;

  int64_t now = model.clock.Now();
  RescheduleTimers(round, model.random, now);
  int eliminated = CountEliminated(round);
  if (now - round.steerTime > kSteerIntervalMs && !round.paused) SteeringStep(model);
  if (now - round.moveTime > kMoveIntervalMs && !round.paused) MovementStep(model);
  // One crash sound for heads that die in the same step.
  if (CountEliminated(round) > eliminated) QueueSound(model.sound, SoundEffect::kCrash);
  bool confused = Confused(round, now);
  if (confused && !model.sound.confused) QueueSound(model.sound, SoundEffect::kConfusion);
  model.sound.confused = confused;
  // Also while paused: a console "kill" or a switched-off slot can end the round.
  if (CountEliminated(model.round) >= CountParticipants(model.round) - 1) SetGameState(model, kStateEndRound);

  if (EscapePressed(model)) LeaveToMenu(model);
}

void NextRound(Model& model) {
  RoundState& round = model.round;
  int64_t now = model.clock.Now();
  round.trailImage.Clear(0);
  // No half degree here, unlike the first round of a game.
  for (PlayerRecord& p : round.players) PlaceHead(p, model.random, now, 0.0f);
  PlaceBotsForNewRound(model.round, model.random, model.clock.Now());
  SetGameState(model, kStateStart);
  round.roundStartTime = now;
  CheckGameEnd(model);
}

void EndRoundStep(Model& model) {
  if (model.input.KeyDown(scan::kSpace)) NextRound(model);
  if (EscapePressed(model)) LeaveToMenu(model);
}

void EndStep(Model& model) {
  bool space = EdgePressed(model.input.KeyDown(scan::kSpace), model.round.endSpaceLatch);
  bool escape = EscapePressed(model);
  if (space || escape) LeaveToMenu(model);
}

}  // namespace kb
