#include "client/core/net_connection.h"

#include "client/console/console.h"
#include "client/core/client.h"
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
  explicit Decided(std::unique_ptr<ServerLink> link) : link_(std::move(link)) {}
  bool Poll(std::unique_ptr<ServerLink>& link) override {
    link = std::move(link_);
    return true;
  }

 private:
  std::unique_ptr<ServerLink> link_;
};

}  // namespace

std::unique_ptr<LinkAttempt> DecidedAttempt(std::unique_ptr<ServerLink> link) {
  return std::make_unique<Decided>(std::move(link));
}

void CloseServerLink(NetState& net) {
  net.link.reset();
  net.received = ReceiveBuffer{};
}

void SayGoodbye(NetState& net) {
  if (!net.link) return;
  net.link->Send(BuildMessage(Keyword::kLeave));
  net.link->Drain(kGoodbyeWaitMs);
  CloseServerLink(net);
}

bool SendToServer(Client& client, std::string_view message) {
  NetState& net = client.net;
  if (!net.link) return false;
  if (!net.link->Send(message)) net.sendFailed = true;
  return true;
}

bool FlushServerLink(NetState& net) {
  if (!net.link) return true;
  bool ok = net.link->Flush() && !net.sendFailed;
  net.sendFailed = false;
  return ok;
}

void StartConnecting(Client& client) {
  NetState& net = client.net;
  if (client.frame.gameState == kStateNet)
    SayGoodbye(net);
  else
    CloseServerLink(net);
  net.connectingTo = client.serverAddress + " auf port " + std::to_string(client.serverPort);
  net.connecting = net.openLink(client.serverAddress, client.serverPort);
}

void PollConnecting(Client& client) {
  NetState& net = client.net;
  std::unique_ptr<ServerLink> link;
  if (!net.connecting || !net.connecting->Poll(link)) return;
  net.connecting.reset();
  if (!link) {
    ConsolePrint(client, "Konnte nicht mit Server " + net.connectingTo + " verbinden.", kConsoleRed);
    net.failLatch = 1;
    client.frame.gameState = kStateNetFail;
    return;
  }
  ConsolePrint(client, "Erfolgreich mit Server " + net.connectingTo + " verbunden.", kConsoleGreen);
  CloseServerLink(net);
  net.link = std::move(link);
  net.sendFailed = false;
  SendToServer(client, BuildMessage(Keyword::kJoin));
  FlushServerLink(net);
  net.lastReceive = client.clock.Now();
  // Nothing of an earlier server's field shows behind this one's first screen
  // (a password prompt, say).
  client.round.trailImage.Clear(0);
  client.frame.gameState = kStateNet;
  net.netMode = kModeWaiting;
}

}  // namespace kb
