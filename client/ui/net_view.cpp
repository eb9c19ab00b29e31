#include "client/ui/net_view.h"

#include <algorithm>
#include <string>

#include "client/core/model.h"
#include "common/game/field.h"
#include "client/ui/chat.h"
#include "client/ui/put_text.h"
#include "client/ui/resources.h"
#include "client/ui/text_fields.h"
#include "common/net/protocol.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0;

void DrawStatusBar(Image& screen) {
  screen.FillBox(1, 1, 798, 25, kBlack);
  screen.Line(0, 25, 800, 25, kWhite);
}

// "Runde beendet..." or "Spiel beendet." with the winner's colour box.
void DrawWinner(Image& screen, Font& font, Colour winner, const std::string& text, const std::string& after) {
  int w = font.TextWidth(text);
  PutText(screen, font, 4, 32, text, kWhite);
  screen.FillBox(w + 8, 29, 20, 20, kWhite);
  screen.FillBox(w + 9, 30, 18, 18, winner);
  PutText(screen, font, w + 32, 32, after, kWhite);
}

// The line under the status bar for the mode; returns the mode's help line, if any.
const char* DrawModeText(Image& screen, Font& font, const Model& model, int mode) {
  std::string seconds = std::to_string(CountdownSeconds(model.net.session.countdownMs));
  auto line = [&](const std::string& text) { PutText(screen, font, 4, 29, text, kWhite); };
  switch (mode) {
    case kModeSpectating:
      line(
          "Warte auf das n\xE4"
          "chste Spiel...");
      break;
    case kModeCountdown:
      line("Neue Runde beginnt in " + seconds + "...");
      break;
    case kModeRoundOver:
      DrawWinner(screen, font, model.round.winnerColour, "Runde beendet...", "gewinnt!");
      break;
    case kModeWaiting:
      screen.FillBox(0, 0, 800, 600, kBlack);
      line("Warte auf Spieler...");
      break;
    case kModeGameOver:
      DrawWinner(screen, font, model.round.winnerColour, "Spiel beendet.",
                 "gewinnt! N\xE4"
                 "chstes Spiel in " +
                     seconds + "...");
      break;
    case kModePasswordRequired:
      DrawPasswordPrompt(screen, font, model.net.session);
      return kPasswordHelp;
    case kModeWrongPassword:
      line("Falsches Passwort.");
      return kBackHelp;
    case kModeShutdown:
      line("Der Server wurde beendet.");
      return kBackHelp;
    case kModeKicked:
      line("Du wurdest vom Server gekickt.");
      break;
    default:
      break;
  }
  return nullptr;
}

void DrawScores(Image& screen, Resources& res, const std::vector<ScoreEntry>& list) {
  Font& score = res.fontScore;
  Font& small = res.fontSmall;
  // 50 pixels an entry: those starting past the right edge are not drawn.
  size_t shown = std::min<size_t>(list.size(), 16);
  for (size_t k = 0; k < shown; ++k)
    PutText(screen, score, 4 + 50 * static_cast<int>(k), 4, std::to_string(list[k].score), list[k].colour);
  for (size_t k = 0; k < shown; ++k) {
    int w = small.TextWidth(std::to_string(list[k].score));
    std::string wins = "(";
    wins += std::to_string(list[k].wins);
    wins += ')';
    PutText(screen, small, w + 50 * static_cast<int>(k) + 10, 8, wins, list[k].colour);
  }
}

bool IsOneOf(int mode, std::initializer_list<int> modes) {
  for (int m : modes)
    if (m == mode) return true;
  return false;
}

}  // namespace

int CountdownSeconds(int ms) {
  int64_t value = ms;
  return static_cast<int>(value > 0 ? (value + 999) / 1000 : -(-value / 1000));
}

const char* DrawManualScreen(Image& screen, Resources& res, const NetState& net) {
  DrawManualFields(screen, res.fontNormal, net);
  return kManualHelp;
}

const char* DrawConnectStatus(Image& screen, Resources& res, const std::string& serverLabel, int state) {
  Font& font = res.fontNormal;
  DrawStatusBar(screen);
  PutText(screen, font, 4, 4, FitText(font, serverLabel, 792), kWhite);
  std::string text;
  if (state == kStateNetConnect) {
    text = "Verbinde zum Server \"";
    text += serverLabel;
    text += "\"...";
  } else {
    text = state == kStateNetFail ? "Konnte keine Verbindung zum Server aufbauen."
                                  : "Die Verbindung zum Server wurde unterbrochen.";
  }
  PutText(screen, font, 4, 29, FitText(font, text, 792), kWhite);
  return state == kStateNetConnect ? kConnectHelp : kBackHelp;
}

const char* DrawNetGame(Image& screen, Resources& res, Model& model) {
  const NetSession& session = model.net.session;
  int mode = session.netMode;
  screen.Draw(model.round.trailImage, 0, kFieldTop);
  const char* help = DrawModeText(screen, res.fontNormal, model, mode);
  DrawStatusBar(screen);
  bool scoreLine = !IsOneOf(
      mode, {kModeSpectating, kModeWaiting, kModePasswordRequired, kModeWrongPassword, kModeShutdown});
  if (scoreLine)
    DrawScores(screen, res, model.round.scoreList);
  else
    // The name ends before the colour hint and the colour box on its right.
    PutText(screen, res.fontNormal, 4, 4, FitText(res.fontNormal, model.serverLabel, 560), kWhite);
  if (!IsOneOf(mode, {kModePasswordRequired, kModeWrongPassword, kModeShutdown})) {
    screen.FillBox(776, 2, 22, 22, kWhite);
    screen.FillBox(777, 3, 20, 20, session.ownColour);
  }
  if (IsOneOf(mode, {kModeSpectating, kModeCountdown, kModeRunning, kModeRoundOver, kModeGameOver}))
    DrawChat(screen, scoreLine ? res.fontSmall : res.fontNormal, res.fontNormal, session, model.typing,
             model.clock.Now());
  if (IsOneOf(mode, {kModeSpectating, kModeCountdown, kModeRoundOver, kModeWaiting, kModeGameOver})) {
    const std::string hint = "Strg + C: Farbe \xE4ndern";
    PutText(screen, res.fontNormal, 770 - res.fontNormal.TextWidth(hint), 4, hint, kWhite);
  }
  if (session.serverPaused) {
    const std::string pause = "Pause";
    PutOutlinedText(screen, res.fontHuge, 399 - res.fontHuge.TextWidth(pause) / 2,
                    299 - res.fontHuge.TextHeight(pause) / 2, pause, kWhite, kBlack, 1);
  }
  return help;
}

}  // namespace kb
