#include "client/core/network_hooks.h"

#include "client/core/model.h"
#include "client/core/net_connection.h"
#include "client/core/net_play.h"
#include "client/core/server_list_hooks.h"
#include "client/core/text_input.h"
#include "common/net/protocol.h"

namespace kb {

int CurrentNetMode(const Model& model) { return model.net.session.netMode; }

bool ManualAddressUsable(const Model& model) {
  return ManualAddressValid(model.net.manualAddress) && ManualPortValid(model.net.manualPort);
}

bool PasswordEntered(const Model& model) { return !model.net.session.passwordText.empty(); }

void ConnectFromScreen(Model& model) {
  model.net.session.passwordText.clear();
  DropPendingKeys(model.input);
  // The Enter that connected is still down when a fast server starts the
  // countdown; it must not count again as the Enter that opens the chat.
  model.frame.enterLatch = 1;
  // The state first: the attempt may end before this frame does.
  SetGameState(model, kStateNetConnect);
  StartConnecting(model);
}

void NetworkStep(Model& model) {
  switch (model.frame.gameState) {
    case kStateNetLan:
    case kStateNetWeb:
      ServerListStep(model);
      break;
    case kStateNetLanManual:
      ManualScreenStep(model);
      break;
    case kStateNetConnect:
      NetConnectStep(model);
      break;
    case kStateNet:
      NetGameStep(model);
      break;
    default:
      break;
  }
}

void ResetManualFields(NetState& net) {
  net.manualField = 0;
  net.manualAddress.clear();
  net.manualPort = std::to_string(kDefaultGamePort);
}

void LeaveServer(Model& model) { SayGoodbye(model.net.session); }

}  // namespace kb
