#include "client/ui/game_view.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "client/core/items.h"
#include "client/core/model.h"
#include "common/game/field.h"
#include "client/ui/put_text.h"
#include "client/ui/resources.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0;
constexpr int kHeadRadius = 3;

Colour Inverted(Colour c) { return c ^ kWhite; }

const Image* ItemIcon(const Resources& res, int kind) {
  if (kind < 1 || kind > 3) return nullptr;
  return &res.itemIcons[kind];
}

void DrawItemIcon(Image& screen, const Resources& res, int kind, int x, int y) {
  if (const Image* icon = ItemIcon(res, kind)) screen.Draw(*icon, x, y);
}

std::string HeadingLabel(float heading) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", heading);
  return text;
}

void DrawHeads(Image& screen, Resources& res, const RoundState& round, bool devMode, bool flash, int state,
               int64_t now) {
  for (int i = 0; i < kPlayerSlots; ++i) {
    const PlayerRecord& p = round.players[i];
    if (!p.active) continue;
    Colour c = round.playerColours[i];
    screen.FillCircle(p.x, p.y + kFieldTop, kHeadRadius, flash ? Inverted(c) : c);
    // Placed in screen coordinates on purpose: the label sits above the head.
    if (devMode) PutText(screen, res.fontNormal, p.x + 2, p.y + 2, HeadingLabel(p.heading), kWhite);
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

void DrawScoreLine(Image& screen, Resources& res, const RoundState& round, int right) {
  Font& font = res.fontScore;
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
      DrawItemIcon(screen, res, p.item, font.TextWidth(score) + step * k + 6, 4);
    ++k;
  }
  for (const BotRecord& b : round.botList) {
    PutText(screen, font, 4 + step * k, 4, std::to_string(b.score), b.colour);
    ++k;
  }
}

}  // namespace

bool IsFlashFrame(const RoundState& round, int state, int64_t now) {
  if (!(now > round.confusionStart && now < round.confusionEnd)) return false;
  if (state != kStateGame || round.paused) return false;
  int64_t d = now - round.confusionStart;
  for (int gap = 25; gap <= 175; gap += 50)
    if (d > gap && d < gap + 25) return false;
  return true;
}

void DrawLocalGame(Image& screen, Resources& res, const RoundState& round, const FrameState& frame,
                   int64_t now) {
  int state = frame.gameState;
  bool flash = IsFlashFrame(round, state, now);

  screen.SetXorMode(flash);
  screen.Draw(round.trailImage, 0, kFieldTop);
  screen.SetXorMode(false);
  if (state == kStateGame && !round.paused && ItemShown(round, now))
    DrawItemIcon(screen, res, round.itemKind, round.itemX, round.itemY + kFieldTop);

  screen.SetXorMode(flash);
  if (state == kStateStart) {
    for (const PlayerRecord& p : round.players) {
      if (!p.active) continue;
      screen.FillCircle(p.x, p.y + kFieldTop, 20, kWhite);
      screen.FillCircle(p.x, p.y + kFieldTop, 19, kBlack);
    }
  }
  screen.SetXorMode(false);
  DrawHeads(screen, res, round, frame.devMode != 0, flash, state, now);

  // The top bar; in a flash frame its lines are XOR-ed twice and vanish.
  screen.SetXorMode(flash);
  screen.FillBox(1, 1, 798, 25, kBlack);
  if (flash) screen.Line(0, kFieldTop, 800, kFieldTop, kWhite);
  screen.Line(0, kFieldTop, 800, kFieldTop, kWhite);
  const std::string pauseHint = "Pause: Strg + P";
  int hintX = 796 - res.fontNormal.TextWidth(pauseHint);
  DrawScoreLine(screen, res, round, hintX - 8);
  PutText(screen, res.fontNormal, hintX, 4, pauseHint, kWhite);
  screen.SetXorMode(false);

  if (state == kStateGame && now > round.confusionStart && now - round.confusionStart < 1000 &&
      round.confusionOption && !round.paused)
    PutOutlinedText(screen, res.fontHuge, -1, -1, "Verwirrung!!", kBlack, kWhite, 1);
  if (state == kStateGame && round.paused)
    PutOutlinedText(screen, res.fontHuge, -1, -1, "Pause", kWhite, kBlack, 1);
}

void DrawFinalResult(Image& screen, Resources& res, const RoundState& round) {
  Font& huge = res.fontHuge;
  Font& large = res.fontLarge;
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
