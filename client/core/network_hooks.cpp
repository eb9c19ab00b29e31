#include "client/core/network_hooks.h"

#include "client/core/client.h"
#include "client/core/key_latch.h"
#include "client/core/server_list_hooks.h"
#include "common/platform/core/keys.h"

// Placeholder until network play lands; replaced by its owner. Nothing here
// pretends to connect or play: the network screens stay empty and Escape
// leads back as it will in the real thing.
namespace kb {

int CurrentNetMode(const Client&) { return 0; }
bool ManualAddressUsable(const Client&) { return false; }
bool PasswordEntered(const Client&) { return false; }
void ConnectFromScreen(Client&) {}

void NetworkStep(Client& client) {
  FrameState& frame = client.frame;
  if (frame.gameState == kStateNetLan || frame.gameState == kStateNetWeb) {
    ServerListStep(client);
    return;
  }
  if (EdgePressed(client.input.KeyDown(scan::kEscape), frame.escapeLatch))
    SetGameState(client, frame.gameState == kStateNetLanManual ? kStateNetLan : kStateNetChoose);
}

void DrawNetworkScreen(Client& client) {
  int state = client.frame.gameState;
  if (state == kStateNetLan || state == kStateNetWeb) DrawServerListScreen(client);
}

void LeaveServer(Client&) {}

}  // namespace kb
