#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/net/discovery.h"
#include "common/net/protocol.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/image.h"
#include "common/platform/core/random.h"
#include "server/client_table.h"
#include "server/server_settings.h"
#include "server/transport.h"

namespace kb {

// The colours of the server's lines in the administrators' chat: done, refused.
constexpr Colour kAdminGreen = 65280;
constexpr Colour kAdminRed = 255;

// The server's game: the client table, every client message, administration
// and the timed game step. It knows no sockets: the network loop calls the
// entry points below and the game answers through the Transport.
class ServerGame {
 public:
  // ServerState values; they travel as "MODE".
  static constexpr int kWaiting = 10;
  static constexpr int kCountdown = 7;
  static constexpr int kRunning = 8;
  static constexpr int kRoundOver = 9;
  static constexpr int kGameOver = 18;

  static constexpr int kTickInterval = 50;  // a tick runs once more than this has passed
  static constexpr int kCountdownTime = kb::kCountdownTime;
  static constexpr int kRoundEndTime = 5000;
  static constexpr int kGameEndTime = kb::kGameEndTime;
  static constexpr int kGapLength = 175;
  static constexpr int kStep = 5;
  static constexpr int kTrailRadius = 3;
  static constexpr float kTurn = 3.55f;
  static constexpr float kDegreesToRadians = 0.0174532924f;
  // Longer chat lines are cut; no client types more on one line.
  static constexpr size_t kMaxChatLength = 256;
  // Lines relayed by the whole server: every member receives all of them,
  // so many chatting members must not multiply what each one reads.
  static constexpr int64_t kChatRelayInterval = 125;
  static constexpr int64_t kChatRelayBurst = 8;

  ServerGame(ServerSettings& settings, Clock& clock, Random& random, Transport& transport);

  // Any bytes arrived on the connection: it is alive.
  void HandleMessage(ConnectionId connection, std::string_view message);
  // The connection closed or broke: its record goes.
  void HandleClosed(ConnectionId connection);

  bool TickDue() const { return clock_.Now() - lastTick_ > kTickInterval; }
  int64_t NextTickAt() const { return lastTick_ + kTickInterval + 1; }
  void RunTick();

  // The answer to one discovery datagram, or nothing (hidden, not a request,
  // or more requests than a few dozen a second: no broadcast amplifier).
  std::optional<std::string> AnswerDiscovery(std::string_view datagram);

  // "MODE" 21 to every record; the loop then closes everything and ends.
  void Shutdown();
  bool ShutdownRequested() const { return shutdown_; }

  // "Name: ... Port: ... Spieler: n" with the name's spaces shown.
  std::string StatusLine() const;

  // Off: every message for several receivers is framed and sent to each at
  // once, one by one. The receivers get the same bytes either way; tests
  // compare the two.
  void ShareRuns(bool on) { shareRuns_ = on; }

  // An "ADMIN" answer to every logged-in record, in table order.
  void NotifyAdmins(std::string_view text, Colour colour);

  // Started by "REGISTER" and "DEREGISTER" once the list tasks exist.
  std::function<void()> startRegisterEntry;
  std::function<void()> startDeleteEntry;
  // 0 no entry, -1 registration running, 1 registered, 2 deletion running or failed.
  std::atomic<int> entryState{0};

  ClientTable& Clients() { return clients_; }
  const ClientTable& Clients() const { return clients_; }
  Image& FieldImage() { return field_; }
  int State() const { return state_; }
  bool Paused() const { return paused_; }
  Colour WinnerColour() const { return winnerColour_; }
  int64_t RoundTimer() const { return roundTimer_; }
  int64_t LastTick() const { return lastTick_; }
  // Points that win a game: 10 per opponent; strangers are nobody's opponent.
  int TargetScore() const { return 10 * (Members() - 1); }
  // A record that may take part: protection is off or it gave the password.
  bool Eligible(const ClientRecord& r) const;

 private:
  void HandleAdmin(ClientRecord& sender, std::string_view line);
  void SendAdmin(ConnectionId to, std::string_view text, Colour colour);

  void StepWaiting(int64_t now);
  void StepCountdown(int64_t now);
  void StepRunning(int64_t now);
  void StepRoundOver(int64_t now);
  void StepGameOver(int64_t now);
  void MovePlayer(ClientRecord& player, int64_t now);
  void AwardSurvivors();
  bool NobodyWaits() const;
  int Members() const;
  int Playing() const;
  void AdmitPresentWhenProtected();
  bool GuessAllowed(GuessGuard& guard, const ClientRecord& sender, std::string_view guess,
                    std::string_view secret);
  void ClearFieldForAll();

  void SendScores();
  // Messages for several receivers are gathered into one run and framed
  // once; the run goes to each receiver as one piece before any message for
  // other receivers and before anyone joins, leaves or changes sides, so
  // every receiver still gets its messages in the order they were built.
  enum class Audience {
    kMembers,  // every record inside the game; strangers hear only their own answers
    kPlaying,
  };
  void Share(Audience audience, std::string_view message);
  void Share(Audience audience, Keyword keyword, std::initializer_list<Field> fields);
  std::string& Run(Audience audience);
  void SendRun();
  bool Hears(Audience audience, const ClientRecord& r) const;
  void SendToAll(std::string_view message) { Share(Audience::kMembers, message); }
  void SendToPlaying(std::string_view message) { Share(Audience::kPlaying, message); }

  // Every single send of the game goes through this: it sends the pending
  // run first.
  class InOrder final : public Transport {
   public:
    InOrder(ServerGame& game, Transport& network) : game_(game), network_(network) {}
    void Send(ConnectionId connection, std::string_view message) override {
      game_.SendRun();
      network_.Send(connection, message);
    }
    std::string Address(ConnectionId connection) const override { return network_.Address(connection); }
    Transport& Network() { return network_; }

   private:
    ServerGame& game_;
    Transport& network_;
  };
  // Sends the run when an entry point ends, however it returns.
  struct RunEnd {
    ServerGame& game;
    ~RunEnd() { game.SendRun(); }
  };

  ServerSettings& settings_;
  Clock& clock_;
  Random& random_;
  InOrder transport_;
  std::string run_;
  std::vector<ConnectionId> receivers_;
  Audience runFor_ = Audience::kMembers;
  bool shareRuns_ = true;

  ClientTable clients_;
  Image field_;
  int state_ = kWaiting;
  int64_t lastTick_;
  int64_t roundTimer_ = 0;
  bool paused_ = false;
  Colour winnerColour_ = 0;
  bool shutdown_ = false;
  bool protectedBefore_ = false;
  bool scoresWanted_ = false;  // a colour changed: one SCORES at the next tick
  // The game password and the admin password are guessed at apart: one
  // being tried does not lock the other.
  GuessGuard passGuesses_;
  GuessGuard adminGuesses_;
  RateLimit discoveryAnswers_{50, 20};
  // Sent with every LAN answer: a client asking over both families lists
  // this server once.
  const std::string discoveryId_ = EntropyId(2);
  RateLimit chatRelay_{kChatRelayInterval, kChatRelayBurst};
};

}  // namespace kb
