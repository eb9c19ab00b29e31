#include "client/core/server_list_hooks.h"

#include "client/core/internet_list_fetch.h"
#include "client/core/key_latch.h"
#include "client/core/model.h"
#include "client/core/mouse.h"
#include "client/core/network_hooks.h"
#include "common/platform/core/keys.h"

namespace kb {

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

void StartInternetListFetch(Model& model) {
  StartSearch(model.serverList,
              std::make_unique<InternetListFetch>(ListHostFromEnvironment(kListHostVariable)));
}

void StartLanSearch(Model& model) {
  ServerListState& state = model.serverList;
  StartSearch(state, std::make_unique<LanSearch>(model.clock, state.lanPorts, state.lanSearchMs));
}

void ServerListStep(Model& model) {
  FrameState& frame = model.frame;
  const Input& input = model.input;
  ServerListState& state = model.serverList;
  bool web = frame.gameState == kStateNetWeb;

  if (input.KeyDown(scan::kF5) && model.serverList.list.Count() > -1) {
    if (web)
      StartInternetListFetch(model);
    else
      StartLanSearch(model);
  }

  int count = model.serverList.list.Count();
  bool up = EdgePressed(input.KeyDown(scan::kUp), state.upLatch);
  bool down = EdgePressed(input.KeyDown(scan::kDown), state.downLatch);
  bool click = frame.newClick && MouseInRect(model.frame, 200, 120, 400, 390);
  state.selectedServer = SelectServer(state.selectedServer, count, up, down, click ? frame.mouseY : -1);

  if ((input.KeyDown(scan::kEnter) || ButtonHeld(model.frame, web ? 315 : 225, 520)) && count > 0) {
    std::vector<ServerListEntry> entries = state.list.Entries();
    if (state.selectedServer < static_cast<int>(entries.size())) {
      const ServerListEntry& entry = entries[state.selectedServer];
      model.serverAddress = entry.address;
      model.serverPort = entry.port;
      model.serverLabel = entry.name;
      ConnectFromScreen(model);
      return;
    }
  }

  if (!web && (input.KeyDown(scan::kF1) || ButtonHeld(model.frame, 405, 520))) {
    SetGameState(model, kStateNetLanManual);
    return;
  }

  if (EdgePressed(input.KeyDown(scan::kEscape), frame.escapeLatch)) SetGameState(model, kStateNetChoose);
}

}  // namespace kb
