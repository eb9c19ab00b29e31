#pragma once

#include <vector>

#include "client/core/client.h"
#include "client/core/game_state.h"
#include "client/ui/button.h"
#include "client/ui/draw_frame.h"
#include "client/ui/startup.h"
#include "common/platform/core/keys.h"
#include "tests/client/client_fixture.h"

namespace kb {

// A TestClient set up as start-up leaves it (tables, buttons, menu state),
// with an open window, driven one frame at a time as the frame loop does.
struct SpineClient : TestClient {
  SpineClient() {
    client.frame.gameState = kStateMenu;
    client.round.upgradesOption = 1;
    client.round.confusionOption = 1;
    InitPlayerTable(client.round);
    AddMenuButtons(client);
    display.Open(false, 100, 80);
    client.openUrl = [this](const std::string& url) { openedUrls.push_back(url); };
  }

  // One pass of the frame loop, 1 ms later than the last.
  void Frame() {
    UpdateFrame(client);
    DrawFrame(client);
    clock.Advance(1);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }

  // Holds the key for one frame and releases it in the next.
  void Tap(int scanCode) {
    input.SetKey(scanCode, true);
    Frame();
    input.SetKey(scanCode, false);
    Frame();
  }

  // A left click at (x, y): pressed for one frame, released in the next.
  void Click(int x, int y) {
    input.MoveMouse(x, y);
    input.SetVirtualKey(vk::kLeftButton, true);
    Frame();
    input.SetVirtualKey(vk::kLeftButton, false);
    Frame();
  }

  int State() const { return client.frame.gameState; }

  std::vector<std::string> openedUrls;
};

}  // namespace kb
