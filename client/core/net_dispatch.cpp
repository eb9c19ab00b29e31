#include "client/core/net_dispatch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "client/core/chat_history.h"
#include "client/core/model.h"
#include "common/game/field.h"
#include "common/net/protocol.h"
#include "common/net/score_list.h"

namespace kb {

namespace {

constexpr int kTrailRadius = 3;
// Reads per frame: enough for a busy tick of many players, bounded so a
// flooding server cannot hold the frame.
constexpr int kReceivesPerFrame = 8;
// Texts a server can make the client keep and draw every frame.
constexpr size_t kMaxShownText = 256;
constexpr size_t kMaxConsoleText = 1024;
// A segment with an end this far off the field is no trail the server can
// draw; a hostile one would cost one disc per pixel of its length.
constexpr int kCoordinateMargin = 1024;
// Trail discs one frame draws for the server: a busy tick of 256 players is
// a few thousand, while a stream of the longest segments a server may send
// would hold each frame for a tenth of a second. The rest waits in the
// receive buffer, and the server's further bytes in the socket.
constexpr long kDiscsPerFrame = 20000;

Colour ColourField(std::string_view message, int n) {
  return static_cast<Colour>(MessageNumber(message, n)) & 0xFFFFFF;
}

std::string Bounded(std::string_view text, size_t limit) { return std::string(text.substr(0, limit)); }

bool NearField(int x, int y) {
  return x >= -kCoordinateMargin && x <= kFieldWidth + kCoordinateMargin && y >= -kCoordinateMargin &&
         y <= kFieldHeight + kCoordinateMargin;
}

// The discs a LINE message draws (about one per pixel of its length); 0 for
// one that is not drawn.
long LineDiscs(std::string_view m) {
  int x1 = MessageNumber(m, 2), y1 = MessageNumber(m, 3), x2 = MessageNumber(m, 4), y2 = MessageNumber(m, 5);
  if (!NearField(x1, y1) || !NearField(x2, y2)) return 0;
  return std::max(1L, std::lround(std::hypot(x2 - x1, y2 - y1)));
}

int TotalPoints(const std::vector<ScoreEntry>& list) {
  long total = 0;
  for (const ScoreEntry& e : list) total += e.score;
  return static_cast<int>(std::clamp(total, 0L, 1L << 30));
}

// The seconds a countdown shows: 2001 ms is 3. A server may send any number.
int ShownSeconds(int ms) { return ms > 0 ? ms / 1000 + (ms % 1000 != 0) : 0; }

// The sound of a new mode; nothing for a mode repeated every tick.
void ModeSound(SoundQueue& sound, int mode) {
  if (mode == kModeCountdown) QueueSound(sound, SoundEffect::kCountdownTick);
  if (mode == kModeRunning) QueueSound(sound, SoundEffect::kRoundStart);
  if (mode == kModeRoundOver) QueueSound(sound, SoundEffect::kRoundWinner);
  if (mode == kModeGameOver) QueueSound(sound, SoundEffect::kGameWinner);
}

void SetScores(Model& model, std::string_view field) {
  std::vector<ScoreEntry>& list = model.round.scoreList;
  int before = TotalPoints(list);
  list.clear();
  std::vector<ScoreListEntry> entries = ParseScoreList(field);
  // An empty list still shows one entry: 0 points, colour 0, 0 wins.
  if (entries.empty()) entries.emplace_back();
  for (const ScoreListEntry& e : entries) list.push_back({e.points, e.colour & 0xFFFFFF, e.wins});
  // The survivors of a crash gain points; nothing else raises them in a round.
  if (model.net.session.netMode == kModeRunning && TotalPoints(list) > before)
    QueueSound(model.sound, SoundEffect::kCrash);
}

}  // namespace

long DispatchServerMessage(Model& model, std::string_view m) {
  NetSession& session = model.net.session;
  Image& trail = model.round.trailImage;
  long discs = 0;
  switch (ParseKeyword(MessageField(m, 1))) {
    case Keyword::kServer:
      model.serverLabel = DecodeServerName(Bounded(MessageField(m, 2), kMaxShownText));
      break;
    case Keyword::kColor:
      session.ownColour = ColourField(m, 2);
      break;
    case Keyword::kMode: {
      session.passwordText.clear();
      int previous = session.netMode;
      session.netMode = MessageNumber(m, 2);
      // Until the first TIME of a countdown arrives (a tick later), it shows
      // its whole length, not what the last one ended on. The server repeats
      // MODE every tick: only a change starts a countdown.
      if (session.netMode != previous && session.netMode == kModeCountdown)
        session.countdownMs = kCountdownTime;
      if (session.netMode != previous && session.netMode == kModeGameOver) session.countdownMs = kGameEndTime;
      if (session.netMode != previous && previous != 0) ModeSound(model.sound, session.netMode);
      break;
    }
    case Keyword::kChat:
      AddChatLine(session.chatHistory, model.clock.Now(), Bounded(MessageField(m, 2), kMaxShownText),
                  ColourField(m, 3));
      QueueSound(model.sound, SoundEffect::kChat);
      break;
    case Keyword::kLine:
      if ((discs = LineDiscs(m)) > 0)
        DrawTrailSegment(trail, MessageNumber(m, 2), MessageNumber(m, 3), MessageNumber(m, 4),
                         MessageNumber(m, 5), kTrailRadius, ColourField(m, 6));
      break;
    case Keyword::kPoint:
      trail.FillCircle(MessageNumber(m, 2), MessageNumber(m, 3), kTrailRadius, ColourField(m, 4));
      break;
    case Keyword::kTime: {
      int before = ShownSeconds(session.countdownMs);
      session.countdownMs = MessageNumber(m, 2);
      int after = ShownSeconds(session.countdownMs);
      if (session.netMode == kModeCountdown && after > 0 && after < before)
        QueueSound(model.sound, SoundEffect::kCountdownTick);
      break;
    }
    case Keyword::kClear:
      trail.Clear(0);
      break;
    case Keyword::kWinner:
      model.round.winnerColour = ColourField(m, 2);
      break;
    case Keyword::kScores:
      SetScores(model, MessageField(m, 2));
      break;
    case Keyword::kAdmin:
      model.consoleLines.Print("[SERVER] " + Bounded(MessageField(m, 2), kMaxConsoleText), ColourField(m, 3));
      break;
    case Keyword::kPause:
      session.serverPaused = MessageNumber(m, 2);
      break;
    default:
      break;
  }
  return discs;
}

bool ReceiveFromServer(Model& model) {
  NetSession& session = model.net.session;
  char buffer[kReceiveBufferSize];
  std::string message;
  long discs = 0;
  // Whether the frame may take more: messages a busy frame left come first.
  auto dispatch = [&] {
    while (discs < kDiscsPerFrame && session.link && session.received.Next(message))
      discs += DispatchServerMessage(model, message);
    return discs < kDiscsPerFrame;
  };
  for (int i = 0; i < kReceivesPerFrame && session.link && dispatch(); ++i) {
    long n = session.link->Receive(buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0 || !session.received.Add(std::string_view(buffer, static_cast<size_t>(n)))) return false;
    session.lastReceive = model.clock.Now();
  }
  dispatch();
  return true;
}

}  // namespace kb
