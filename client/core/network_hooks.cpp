#include "client/core/network_hooks.h"

#include "client/core/client.h"
#include "client/core/key_latch.h"
#include "common/platform/core/keys.h"

// Placeholder until network play lands; replaced by its owner. Nothing here
// pretends to search, connect or play: the network screens stay empty and
// Escape leads back as it will in the real thing.
namespace kb {

int CurrentNetMode(const Client&) { return 0; }
int ServerCount(const Client&) { return -1; }
bool ManualAddressUsable(const Client&) { return false; }
bool PasswordEntered(const Client&) { return false; }
void StartInternetListFetch(Client&) {}
void StartLanSearch(Client&) {}

void NetworkStep(Client& client) {
  FrameState& frame = client.frame;
  if (EdgePressed(client.input.KeyDown(scan::kEscape), frame.escapeLatch))
    SetGameState(client, frame.gameState == kStateNetLanManual ? kStateNetLan : kStateNetChoose);
}

void DrawNetworkScreen(Client&) {}
void LeaveServer(Client&) {}

}  // namespace kb
