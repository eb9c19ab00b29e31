#include "client/ui/game_view.h"

#include <cstdio>
#include <string>

#include "client/core/client.h"
#include "client/core/items.h"
#include "client/ui/put_text.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0;
constexpr int kFieldTop = 25;
constexpr int kHeadRadius = 3;

Colour Inverted(Colour c) { return c ^ kWhite; }

const Image* ItemIcon(Client& client, int kind) {
  if (kind < 1 || kind > 3) return nullptr;
  return &client.resources.itemIcons[kind];
}

void DrawItemIcon(Client& client, int kind, int x, int y) {
  if (const Image* icon = ItemIcon(client, kind)) client.screen.Draw(*icon, x, y);
}

std::string HeadingLabel(float heading) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", heading);
  return text;
}

void DrawHeads(Client& client, bool flash, int state, int64_t now) {
  Image& screen = client.screen;
  RoundState& round = client.round;
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = round.players[i];
    if (!p.active) continue;
    Colour c = round.playerColours[i];
    screen.FillCircle(p.x, p.y + kFieldTop, kHeadRadius, flash ? Inverted(c) : c);
    // Placed in screen coordinates on purpose: the label sits above the head.
    if (client.frame.devMode)
      PutText(screen, client.resources.fontNormal, p.x + 2, p.y + 2, HeadingLabel(p.heading), kWhite);
  }
  // Bots show confusion for its whole period, paused or not.
  bool botsInverted = state == kStateGame && Confused(round, now);
  for (const BotRecord& b : round.botList)
    screen.FillCircle(b.x, b.y + kFieldTop, kHeadRadius, botsInverted ? Inverted(b.colour) : b.colour);
}

void DrawScoreLine(Client& client) {
  Image& screen = client.screen;
  RoundState& round = client.round;
  Font& font = client.resources.fontScore;
  int k = 0;
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = round.players[i];
    if (!p.active) continue;
    std::string score = std::to_string(p.score);
    PutText(screen, font, 4 + 50 * k, 4, score, round.playerColours[i]);
    if (p.item != 0 && p.itemStart == 0) DrawItemIcon(client, p.item, font.TextWidth(score) + 50 * k + 6, 4);
    ++k;
  }
  for (const BotRecord& b : round.botList) {
    PutText(screen, font, 4 + 50 * k, 4, std::to_string(b.score), b.colour);
    ++k;
  }
}

}  // namespace

bool IsFlashFrame(const Client& client, int64_t now) {
  const RoundState& round = client.round;
  if (!(now > round.confusionStart && now < round.confusionEnd)) return false;
  if (client.frame.gameState != kStateGame || round.paused) return false;
  int64_t d = now - round.confusionStart;
  for (int gap = 25; gap <= 175; gap += 50)
    if (d > gap && d < gap + 25) return false;
  return true;
}

void DrawLocalGame(Client& client) {
  Image& screen = client.screen;
  RoundState& round = client.round;
  Resources& res = client.resources;
  int64_t now = client.clock.Now();
  int state = client.frame.gameState;
  bool flash = IsFlashFrame(client, now);

  screen.SetXorMode(flash);
  screen.Draw(round.trailImage, 0, kFieldTop);
  screen.SetXorMode(false);
  if (state == kStateGame && !round.paused && ItemShown(round, now))
    DrawItemIcon(client, round.itemKind, round.itemX, round.itemY + kFieldTop);

  screen.SetXorMode(flash);
  if (state == kStateStart) {
    for (const PlayerRecord& p : round.players) {
      if (!p.active) continue;
      screen.FillCircle(p.x, p.y + kFieldTop, 20, kWhite);
      screen.FillCircle(p.x, p.y + kFieldTop, 19, kBlack);
    }
  }
  screen.SetXorMode(false);
  DrawHeads(client, flash, state, now);

  // The top bar; in a flash frame its lines are XOR-ed twice and vanish.
  screen.SetXorMode(flash);
  screen.FillBox(1, 1, 798, 25, kBlack);
  if (flash) screen.Line(0, kFieldTop, 800, kFieldTop, kWhite);
  screen.Line(0, kFieldTop, 800, kFieldTop, kWhite);
  DrawScoreLine(client);
  const std::string pauseHint = "Pause: Strg + P";
  PutText(screen, res.fontNormal, 796 - res.fontNormal.TextWidth(pauseHint), 4, pauseHint, kWhite);
  screen.SetXorMode(false);

  if (state == kStateGame && now > round.confusionStart && now - round.confusionStart < 1000 &&
      round.confusionOption && !round.paused)
    PutOutlinedText(screen, res.fontHuge, -1, -1, "Verwirrung!!", kBlack, kWhite, 1);
  if (state == kStateGame && round.paused)
    PutOutlinedText(screen, res.fontHuge, -1, -1, "Pause", kWhite, kBlack, 1);
}

void DrawFinalResult(Client& client) {
  Image& screen = client.screen;
  RoundState& round = client.round;
  Font& huge = client.resources.fontHuge;
  Font& large = client.resources.fontLarge;
  const std::string title = "Winner!";
  PutText(screen, huge, 400 - huge.TextWidth(title) / 2, 0, title, round.winnerColour);
  int k = 0;
  for (const ScoreEntry& e : round.scoreList) {
    std::string score = std::to_string(e.score);
    PutText(screen, large, 400 - large.TextWidth(score) / 2, 100 + 40 * k, score, e.colour);
    ++k;
  }
}

}  // namespace kb
