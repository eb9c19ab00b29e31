#include "client/core/net_connection.h"

#include "client/core/model.h"
#include "common/net/protocol.h"

namespace kb {

namespace {

// LEAVE should reach the server before the socket closes, but leaving must
// not hang on a server that stopped reading.
constexpr int kGoodbyeWaitMs = 500;

}  // namespace

namespace {

class Decided final : public LinkAttempt {
 public:
  Decided(std::unique_ptr<ServerLink> link, std::string reason)
      : link_(std::move(link)), reason_(std::move(reason)) {}
  bool Poll(std::unique_ptr<ServerLink>& link) override {
    link = std::move(link_);
    return true;
  }
  std::string FailureReason() const override { return reason_; }

 private:
  std::unique_ptr<ServerLink> link_;
  std::string reason_;
};

}  // namespace

std::unique_ptr<LinkAttempt> DecidedAttempt(std::unique_ptr<ServerLink> link, std::string reason) {
  return std::make_unique<Decided>(std::move(link), std::move(reason));
}

void CloseServerLink(NetSession& session) {
  session.link.reset();
  session.received = ReceiveBuffer{};
}

void SayGoodbye(NetSession& session) {
  if (!session.link) return;
  session.link->Send(BuildMessage(Keyword::kLeave));
  session.link->Drain(kGoodbyeWaitMs);
  CloseServerLink(session);
}

bool SendToServer(NetSession& session, std::string_view message) {
  if (!session.link) return false;
  if (!session.link->Send(message)) session.sendFailed = true;
  return true;
}

bool FlushServerLink(NetSession& session) {
  if (!session.link) return true;
  bool ok = session.link->Flush() && !session.sendFailed;
  session.sendFailed = false;
  return ok;
}

void StartConnecting(Model& model) {
  NetState& net = model.net;
  if (model.frame.gameState == kStateNet)
    SayGoodbye(net.session);
  else
    CloseServerLink(net.session);
  net.connectingTo = model.serverAddress + " auf port " + std::to_string(model.serverPort);
  net.connecting = net.openLink(model.serverAddress, model.serverPort);
}

void PollConnecting(Model& model) {
  NetState& net = model.net;
  std::unique_ptr<ServerLink> link;
  if (!net.connecting || !net.connecting->Poll(link)) return;
  std::string reason = net.connecting->FailureReason();
  net.connecting.reset();
  if (!link) {
    model.consoleLines.Print("Konnte nicht mit Server " + net.connectingTo + " verbinden.", kConsoleRed);
    if (!reason.empty()) model.consoleLines.Print(reason, kConsoleRed);
    net.failLatch = 1;
    model.frame.gameState = kStateNetFail;
    return;
  }
  model.consoleLines.Print("Erfolgreich mit Server " + net.connectingTo + " verbunden.", kConsoleGreen);
  // A new visit: nothing of the last server's (a pause, chat, a countdown) stays.
  net.session = NetSession{};
  net.session.link = std::move(link);
  SendToServer(model.net.session, BuildMessage(Keyword::kJoin));
  FlushServerLink(net.session);
  net.session.lastReceive = model.clock.Now();
  // Nothing of an earlier server's field shows behind this one's first screen
  // (a password prompt, say).
  model.round.trailImage.Clear(0);
  model.frame.gameState = kStateNet;
  net.session.netMode = kModeWaiting;
}

}  // namespace kb
