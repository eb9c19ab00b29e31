#include "client/core/server_list_hooks.h"

#include "client/core/client.h"
#include "client/core/key_latch.h"
#include "common/platform/core/keys.h"

// Placeholder until the list tasks land; replaced by their owner.
namespace kb {

int ServerCount(const Client&) { return -1; }
void StartInternetListFetch(Client&) {}
void StartLanSearch(Client&) {}

void ServerListStep(Client& client) {
  if (EdgePressed(client.input.KeyDown(scan::kEscape), client.frame.escapeLatch))
    SetGameState(client, kStateNetChoose);
}

void DrawServerListScreen(Client&) {}

}  // namespace kb
