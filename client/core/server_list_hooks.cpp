#include "client/core/server_list_hooks.h"

#include "client/core/client.h"
#include "client/core/internet_list_fetch.h"
#include "client/core/key_latch.h"
#include "client/core/mouse.h"
#include "client/core/network_hooks.h"
#include "common/platform/core/keys.h"

namespace kb {

namespace {

bool ButtonHeld(const Client& client, int x, int y) {
  return client.frame.leftButton && MouseInButton(client, x, y);
}

}  // namespace

int SelectServer(int selected, int count, bool up, bool down, int clickY) {
  if (up) --selected;
  if (down) ++selected;
  if (clickY >= 0) {
    // Rounds toward zero, so the frame's top border still means row 0.
    int row = (clickY - 122) / 20;
    if (row < count) selected = row;
  }
  if (selected > count - 1) selected = 0;
  if (selected < 0) selected = count - 1;
  return selected;
}

int ServerCount(const Client& client) { return client.serverList.list.Count(); }

void StartInternetListFetch(Client& client) {
  StartSearch(client.serverList,
              std::make_unique<InternetListFetch>(ListHostFromEnvironment(kListHostVariable)));
}

void StartLanSearch(Client& client) {
  ServerListState& state = client.serverList;
  StartSearch(state, std::make_unique<LanSearch>(client.clock, state.lanPorts, state.lanSearchMs));
}

void ServerListStep(Client& client) {
  FrameState& frame = client.frame;
  const Input& input = client.input;
  ServerListState& state = client.serverList;
  bool web = frame.gameState == kStateNetWeb;

  if (input.KeyDown(scan::kF5) && ServerCount(client) > -1) {
    if (web)
      StartInternetListFetch(client);
    else
      StartLanSearch(client);
  }

  int count = ServerCount(client);
  bool up = EdgePressed(input.KeyDown(scan::kUp), state.upLatch);
  bool down = EdgePressed(input.KeyDown(scan::kDown), state.downLatch);
  bool click = frame.newClick && MouseInRect(client, 200, 120, 400, 390);
  state.selectedServer = SelectServer(state.selectedServer, count, up, down, click ? frame.mouseY : -1);

  if ((input.KeyDown(scan::kEnter) || ButtonHeld(client, web ? 315 : 225, 520)) && count > 0) {
    std::vector<ServerListEntry> entries = state.list.Entries();
    if (state.selectedServer < static_cast<int>(entries.size())) {
      const ServerListEntry& entry = entries[state.selectedServer];
      client.serverAddress = entry.address;
      client.serverPort = entry.port;
      client.serverLabel = entry.name;
      ConnectFromScreen(client);
      return;
    }
  }

  if (!web && (input.KeyDown(scan::kF1) || ButtonHeld(client, 405, 520))) {
    SetGameState(client, kStateNetLanManual);
    return;
  }

  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) SetGameState(client, kStateNetChoose);
}

}  // namespace kb
