#include "client/ui/game_view.h"

#include <algorithm>
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

// 50 pixels per participant while they fit; closer together when they would
// run under the pause hint, so that the last score still ends left of it.
int ScoreStep(Font& font, const RoundState& round, int count, int right) {
  if (count <= 1) return 50;
  int widest = 0;
  for (const PlayerRecord& p : round.players)
    if (p.active) widest = std::max(widest, font.TextWidth(std::to_string(p.score)) + 26);
  for (const BotRecord& b : round.botList) widest = std::max(widest, font.TextWidth(std::to_string(b.score)));
  return std::clamp((right - 4 - widest) / (count - 1), 1, 50);
}

void DrawScoreLine(Client& client, int right) {
  Image& screen = client.screen;
  RoundState& round = client.round;
  Font& font = client.resources.fontScore;
  int count = static_cast<int>(round.botList.size());
  for (const PlayerRecord& p : round.players) count += p.active;
  int step = ScoreStep(font, round, count, right);
  int k = 0;
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = round.players[i];
    if (!p.active) continue;
    std::string score = std::to_string(p.score);
    PutText(screen, font, 4 + step * k, 4, score, round.playerColours[i]);
    if (p.item != 0 && p.itemStart == 0)
      DrawItemIcon(client, p.item, font.TextWidth(score) + step * k + 6, 4);
    ++k;
  }
  for (const BotRecord& b : round.botList) {
    PutText(screen, font, 4 + step * k, 4, std::to_string(b.score), b.colour);
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
  const std::string pauseHint = "Pause: Strg + P";
  int hintX = 796 - res.fontNormal.TextWidth(pauseHint);
  DrawScoreLine(client, hintX - 8);
  PutText(screen, res.fontNormal, hintX, 4, pauseHint, kWhite);
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
  // One centred column while the entries fit below the title; more side by
  // side when a game had more participants than that.
  constexpr int kRowsPerColumn = (600 - 100) / 40;
  int count = static_cast<int>(round.scoreList.size());
  int columns = std::max(1, (count + kRowsPerColumn - 1) / kRowsPerColumn);
  int k = 0;
  for (const ScoreEntry& e : round.scoreList) {
    std::string score = std::to_string(e.score);
    int centre = 800 * (2 * (k / kRowsPerColumn) + 1) / (2 * columns);
    PutText(screen, large, centre - large.TextWidth(score) / 2, 100 + 40 * (k % kRowsPerColumn), score,
            e.colour);
    ++k;
  }
}

}  // namespace kb
