#include <charconv>
#include <cmath>

#include "common/game/field.h"
#include "common/net/protocol.h"
#include "server/server_game.h"

namespace kb {
namespace {

// Halves go to the even neighbour (the default rounding mode).
int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

void AppendNumber(std::string& out, int value) {
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, static_cast<size_t>(end - digits));
}

}  // namespace

bool ServerGame::Eligible(const ClientRecord& r) const {
  return !settings_.PasswordProtected() || r.authenticated;
}

bool ServerGame::NobodyWaits() const {
  for (const ClientRecord& r : clients_) {
    if (!r.ready && Eligible(r)) return false;
  }
  return true;
}

int ServerGame::Members() const {
  int n = 0;
  for (const ClientRecord& r : clients_) n += Eligible(r) ? 1 : 0;
  return n;
}

int ServerGame::Playing() const {
  int n = 0;
  for (const ClientRecord& r : clients_) n += r.playing;
  return n;
}

void ServerGame::SendScores() {
  // Framed in place: with many players this is the longest message.
  std::string& out = Run(Audience::kMembers);
  out.append(KeywordText(Keyword::kScores));
  out.push_back(kFieldSeparator);
  char separator = 0;
  for (const ClientRecord& r : clients_) {
    if (!r.playing) continue;
    if (separator) out.push_back(separator);
    separator = kEntrySeparator;
    AppendNumber(out, r.points);
    out.push_back(kSubFieldSeparator);
    AppendNumber(out, static_cast<int>(r.colour));
    out.push_back(kSubFieldSeparator);
    AppendNumber(out, r.wins);
  }
  out.push_back(kMessageTerminator);
  if (!shareRuns_) SendRun();
  scoresWanted_ = false;
}

void ServerGame::AwardSurvivors() {
  for (ClientRecord& r : clients_) {
    if (r.playing && !r.dead) ++r.points;
  }
}

void ServerGame::ClearFieldForAll() {
  field_.Clear();
  for (ClientRecord& r : clients_) {
    r.placed = 0;
    r.ready = 0;
  }
  Share(Audience::kMembers, Keyword::kClear, {});
}

void ServerGame::RunTick() {
  if (shutdown_) return;
  SendRun();
  RunEnd runEnd{*this};
  AdmitPresentWhenProtected();
  int64_t now = clock_.Now();
  passGuesses_.Prune(now);
  adminGuesses_.Prune(now);
  for (const ClientRecord& r : clients_) {
    if (now - r.lastSeen > kSilenceTimeout) {
      transport_.Send(r.connection, BuildMessage(Keyword::kMode, {kModeDropped}));
      clients_.Remove(r.connection);
      break;
    }
  }
  if (!paused_) {
    switch (state_) {
      case kWaiting:
        StepWaiting(now);
        break;
      case kCountdown:
        StepCountdown(now);
        break;
      case kRunning:
        StepRunning(now);
        break;
      case kRoundOver:
        StepRoundOver(now);
        break;
      case kGameOver:
        StepGameOver(now);
        break;
    }
  }
  if (scoresWanted_) SendScores();
  // One player left with only spectators would cycle countdown, round and
  // round end forever; waiting makes everyone a player at the next start.
  bool lonePlayer = (state_ == kCountdown || state_ == kRunning || state_ == kRoundOver) && Playing() < 2;
  if (Members() < 2 || lonePlayer) state_ = kWaiting;
  Share(Audience::kPlaying, Keyword::kMode, {state_});
  Share(Audience::kPlaying, Keyword::kPause, {paused_ ? 1 : 0});
  lastTick_ = now;
}

void ServerGame::StepWaiting(int64_t now) {
  if (Members() < 2) return;
  SendRun();  // sides change below
  // Only clients that gave the password take part; the others watch.
  for (ClientRecord& r : clients_) {
    r.playing = Eligible(r) ? 1 : 0;
    r.points = 0;
  }
  ClearFieldForAll();
  SendScores();
  roundTimer_ = now;
  state_ = kCountdown;
}

void ServerGame::StepCountdown(int64_t now) {
  Share(Audience::kPlaying, Keyword::kTime, {kCountdownTime - (now - roundTimer_)});
  for (ClientRecord& r : clients_) {
    if (!r.playing || r.placed) continue;
    r.dead = 0;
    r.heading = static_cast<float>(random_.Next(359)) + 0.25f;
    r.x = RandomRange(random_, 75, 725);
    r.y = RandomRange(random_, 75, 500);
    r.previousX = r.x;
    r.previousY = r.y;
    r.nextGap = now + RandomRange(random_, 1500, 4000);
    r.placed = 1;
    r.ready = 0;
  }
  for (const ClientRecord& r : clients_) {
    if (r.playing) Share(Audience::kMembers, Keyword::kPoint, {r.x, r.y, r.colour});
  }
  if (now - roundTimer_ > kCountdownTime || NobodyWaits()) {
    SendScores();
    state_ = kRunning;
  }
}

void ServerGame::MovePlayer(ClientRecord& p, int64_t now) {
  bool leftField = p.x > kFieldWidth || p.x < 0 || p.y > kFieldHeight || p.y < 0;
  if (leftField) {
    p.dead = 1;
    AwardSurvivors();
  }
  if (p.heading > 359) p.heading -= 360;
  if (p.heading < 0) p.heading += 360;
  p.previousX = p.x;
  p.previousY = p.y;
  float r = p.heading * kDegreesToRadians;
  p.x = RoundHalfEven(p.x + kStep * std::cos(static_cast<double>(r)));
  p.y = RoundHalfEven(p.y + kStep * std::sin(static_cast<double>(r)));
  // Image::Pixel reads nothing outside the image: x = 800 and y = 575 count
  // as empty field.
  // A head that died at the border this tick is not killed a second time.
  if (!leftField && InsideField(p.x, p.y) && field_.Pixel(p.x, p.y) != 0) {
    p.dead = 1;
    AwardSurvivors();
    SendScores();
  }
  if (now < p.nextGap && now > p.gapStart + kGapLength) {
    DrawTrailSegment(field_, p.previousX, p.previousY, p.x, p.y, kTrailRadius, p.colour);
    Share(Audience::kMembers, Keyword::kLine, {p.previousX, p.previousY, p.x, p.y, p.colour});
  }
  if (now > p.nextGap) {
    p.gapStart = p.nextGap;
    p.nextGap = now + RandomRange(random_, 1500, 4000);
  }
}

void ServerGame::StepRunning(int64_t now) {
  for (ClientRecord& p : clients_) {
    if (p.playing && !p.dead) MovePlayer(p, now);
  }
  int alive = 0;
  for (const ClientRecord& r : clients_) alive += r.playing && !r.dead ? 1 : 0;
  if (alive < 2) {
    for (ClientRecord& r : clients_) r.ready = 0;
    SendScores();
    roundTimer_ = now;
    state_ = kRoundOver;
  }
}

void ServerGame::StepRoundOver(int64_t now) {
  // With one record left the target would be 0 points: no game is won by
  // the opponent leaving.
  if (Members() >= 2) {
    for (ClientRecord& r : clients_) {
      if (r.points >= TargetScore()) {
        ++r.wins;
        winnerColour_ = r.colour;
        state_ = kGameOver;
        break;
      }
    }
  }
  if (state_ == kGameOver) {
    for (ClientRecord& r : clients_) r.ready = 0;
    Share(Audience::kMembers, Keyword::kWinner, {winnerColour_});
    roundTimer_ = now;
    return;
  }
  for (const ClientRecord& r : clients_) {
    if (r.playing && !r.dead) {
      winnerColour_ = r.colour;
      break;
    }
  }
  Share(Audience::kMembers, Keyword::kWinner, {winnerColour_});
  if (now - roundTimer_ > kRoundEndTime || NobodyWaits()) {
    ClearFieldForAll();
    SendScores();
    roundTimer_ = now;
    state_ = kCountdown;
  }
}

void ServerGame::StepGameOver(int64_t now) {
  Share(Audience::kPlaying, Keyword::kTime, {kGameEndTime - (now - roundTimer_)});
  if (now - roundTimer_ > kGameEndTime || NobodyWaits()) {
    SendRun();  // sides change below
    for (ClientRecord& r : clients_) {
      r.points = 0;
      r.playing = Eligible(r) ? 1 : 0;  // spectators join the new game
    }
    field_.Clear();
    for (ClientRecord& r : clients_) r.placed = 0;
    Share(Audience::kMembers, Keyword::kClear, {});
    SendScores();
    roundTimer_ = now;
    state_ = kCountdown;
  }
}

}  // namespace kb
