#include "client/core/network_hooks.h"

#include "client/core/client.h"
#include "client/core/net_connection.h"
#include "client/core/net_play.h"
#include "client/core/server_list_hooks.h"
#include "client/core/text_input.h"
#include "common/net/protocol.h"

namespace kb {

int CurrentNetMode(const Client& client) { return client.net.session.netMode; }

bool ManualAddressUsable(const Client& client) {
  return ManualAddressValid(client.net.manualAddress) && ManualPortValid(client.net.manualPort);
}

bool PasswordEntered(const Client& client) { return !client.net.session.passwordText.empty(); }

void ConnectFromScreen(Client& client) {
  client.net.session.passwordText.clear();
  DropPendingKeys(client.input);
  // The Enter that connected is still down when a fast server starts the
  // countdown; it must not count again as the Enter that opens the chat.
  client.frame.enterLatch = 1;
  // The state first: the attempt may end before this frame does.
  SetGameState(client, kStateNetConnect);
  StartConnecting(client);
}

void NetworkStep(Client& client) {
  switch (client.frame.gameState) {
    case kStateNetLan:
    case kStateNetWeb:
      ServerListStep(client);
      break;
    case kStateNetLanManual:
      ManualScreenStep(client);
      break;
    case kStateNetConnect:
      NetConnectStep(client);
      break;
    case kStateNet:
      NetGameStep(client);
      break;
    default:
      break;
  }
}

void ResetManualFields(Client& client) {
  NetState& net = client.net;
  net.manualField = 0;
  net.manualAddress.clear();
  net.manualPort = std::to_string(kDefaultGamePort);
}

void LeaveServer(Client& client) { SayGoodbye(client.net.session); }

}  // namespace kb
