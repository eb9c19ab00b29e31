#include "client/core/client.h"

// Stand-in until the frame loop's SetGameState lands; the real one replaces it.
namespace kb {

[[gnu::weak]] void SetGameState(Client& client, int newState, bool) {
  if (newState == kStateMenu) {
    client.round.botCount = 0;
    client.round.botList.clear();
  }
  client.frame.gameState = newState;
}

}  // namespace kb
