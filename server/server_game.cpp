#include "server/server_game.h"

#include "common/game/field.h"
#include "common/net/discovery.h"
#include "common/net/protocol.h"
#include "common/platform/core/address.h"

namespace kb {

ServerGame::ServerGame(ServerSettings& settings, Clock& clock, Random& random, Transport& transport)
    : settings_(settings),
      clock_(clock),
      random_(random),
      transport_(*this, transport),
      field_(kFieldWidth, kFieldHeight),
      lastTick_(clock.Now()) {}

bool ServerGame::Hears(Audience audience, const ClientRecord& r) const {
  return audience == Audience::kMembers ? Eligible(r) : r.playing != 0;
}

std::string& ServerGame::Run(Audience audience) {
  if (audience != runFor_) SendRun();
  runFor_ = audience;
  return run_;
}

void ServerGame::SendRun() {
  if (run_.empty()) return;
  receivers_.clear();
  for (const ClientRecord& r : clients_) {
    if (Hears(runFor_, r)) receivers_.push_back(r.connection);
  }
  transport_.Network().SendToEach(receivers_, run_);
  run_.clear();  // both keep their room for the next run
}

void ServerGame::Share(Audience audience, std::string_view message) {
  Run(audience).append(message);
  if (!shareRuns_) SendRun();
}

void ServerGame::Share(Audience audience, Keyword keyword, std::initializer_list<Field> fields) {
  AppendMessage(Run(audience), keyword, fields);
  if (!shareRuns_) SendRun();
}

void ServerGame::AdmitPresentWhenProtected() {
  // Whoever is here when protection comes on was admitted without a
  // password; asking them now would freeze the running game.
  bool now = settings_.PasswordProtected();
  if (now && !protectedBefore_) {
    for (ClientRecord& r : clients_) r.authenticated = 1;
  }
  protectedBefore_ = now;
}

bool ServerGame::GuessAllowed(GuessGuard& guard, const ClientRecord& sender, std::string_view guess,
                              std::string_view secret) {
  std::string address = AddressGroup(transport_.Address(sender.connection));
  int64_t now = clock_.Now();
  // A throttled address is refused without looking at its guess.
  if (guard.Blocked(address, now)) return false;
  if (guess == secret) return true;
  guard.Failed(address, now);
  return false;
}

void ServerGame::HandleClosed(ConnectionId connection) {
  SendRun();
  clients_.Remove(connection);
}

void ServerGame::HandleMessage(ConnectionId connection, std::string_view message) {
  if (shutdown_) return;  // "MODE" 21 was the last word
  SendRun();
  RunEnd runEnd{*this};
  AdmitPresentWhenProtected();
  Keyword keyword = ParseKeyword(MessageField(message, 1));
  ClientRecord* sender = clients_.Find(connection);
  if (sender) sender->lastSeen = clock_.Now();
  int modeForJoiner = state_ == kWaiting ? kModeWaiting : kModeSpectating;
  if (keyword == Keyword::kJoin) {
    if (sender || static_cast<int>(clients_.Size()) >= settings_.maxClients) return;
    ClientRecord& r = clients_.Add(connection, RandomTrailColour(random_), clock_.Now());
    if (settings_.PasswordProtected()) {
      transport_.Send(connection, BuildMessage(Keyword::kMode, {kModePasswordRequired}));
    } else {
      transport_.Send(connection, BuildMessage(Keyword::kMode, {modeForJoiner}));
      transport_.Send(connection, BuildMessage(Keyword::kColor, {r.colour}));
    }
    transport_.Send(connection, BuildMessage(Keyword::kServer, {settings_.name}));
    return;
  }
  if (!sender) return;
  bool member = Eligible(*sender);
  switch (keyword) {
    case Keyword::kPass:
      // Nothing to ask of a record that needs no password.
      if (member) break;
      if (GuessAllowed(passGuesses_, *sender, MessageField(message, 2), settings_.password)) {
        sender->authenticated = 1;
        transport_.Send(connection, BuildMessage(Keyword::kMode, {modeForJoiner}));
        transport_.Send(connection, BuildMessage(Keyword::kColor, {sender->colour}));
      } else {
        transport_.Send(connection, BuildMessage(Keyword::kMode, {kModeWrongPassword}));
      }
      break;
    case Keyword::kColor:
      if (member && (state_ != kRunning || !sender->playing)) {
        sender->colour = RandomTrailColour(random_);
        transport_.Send(connection, BuildMessage(Keyword::kColor, {sender->colour}));
        scoresWanted_ = true;
      }
      break;
    case Keyword::kChat: {
      if (!member || !sender->chat.Allow(clock_.Now()) || !chatRelay_.Allow(clock_.Now())) break;
      // Control bytes would reach every member's screen and console.
      std::string text(MessageField(message, 2).substr(0, kMaxChatLength));
      std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
      std::string chat = BuildMessage(Keyword::kChat, {text, sender->colour});
      for (const ClientRecord& r : clients_) {
        if (r.connection != connection && Eligible(r)) transport_.Send(r.connection, chat);
      }
      break;
    }
    case Keyword::kAdmin:
      HandleAdmin(*sender, MessageField(message, 2));
      break;
    case Keyword::kAngle:
      if (paused_ || !member) break;
      if (MessageField(message, 2) == kAngleUp) {
        sender->heading += kTurn;
      } else if (MessageField(message, 2) == kAngleDown) {
        sender->heading -= kTurn;
      }
      // Kept in 0..360 at once: a flood of turns cannot outrun the tick's
      // single correction.
      if (sender->heading >= 360) sender->heading -= 360;
      if (sender->heading < 0) sender->heading += 360;
      break;
    case Keyword::kGo:
      if (member && (state_ == kCountdown || state_ == kRoundOver || state_ == kGameOver)) sender->ready = 1;
      break;
    case Keyword::kLeave:
      clients_.Remove(connection);
      break;
    case Keyword::kPing:
      sender->lastSeen = clock_.Now();
      transport_.Send(connection, BuildMessage(Keyword::kPong));
      break;
    default:
      break;
  }
}

std::optional<std::string> ServerGame::AnswerDiscovery(std::string_view datagram) {
  datagram = datagram.substr(0, datagram.find('\0'));
  if (settings_.hidden || datagram != kDiscoveryRequest) return std::nullopt;
  if (!discoveryAnswers_.Allow(clock_.Now())) return std::nullopt;
  return BuildDiscoveryAnswer(settings_.name, settings_.port, static_cast<int>(clients_.Size()),
                              settings_.PasswordProtected(), discoveryId_);
}

void ServerGame::Shutdown() {
  if (shutdown_) return;
  std::string mode = BuildMessage(Keyword::kMode, {kModeShutdown});
  for (const ClientRecord& r : clients_) transport_.Send(r.connection, mode);
  shutdown_ = true;
}
std::string ServerGame::StatusLine() const {
  return "Name: " + DecodeServerName(settings_.name) + " Port: " + std::to_string(settings_.port) +
         " Spieler: " + std::to_string(clients_.Size());
}

}  // namespace kb
