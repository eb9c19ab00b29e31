#pragma once

#include "client/app/client.h"
#include "client/app/startup.h"
#include "client/ui/button.h"
#include "client/ui/load_resources.h"
#include "tests/support/fake_display.h"
#include "tests/support/fake_input.h"

namespace kb {

// A client on a fake display and input with the real fonts, pictures and
// sprites and the menu's buttons: the state before the first frame. On a
// manual clock, or on the system's for a bench that talks to real servers.
template <class ClockType>
struct BenchClient {
  BenchClient() {
    display.Open(false, 0, 0);
    LoadFonts(client.resources);
    LoadPictures(client.resources);
    LoadSprites(client.resources);
    InitPlayerTable(client.round);
    AddMenuButtons(client.menuButtons);
    BuildButtonSprites(client.menuButtons, client.resources.fontLarge);
  }

  ClockType clock;
  Random random{1};
  FakeInput input;
  FakeDisplay display;
  Client client{clock, random, input, display};
};

using MenuClient = BenchClient<ManualClock>;

}  // namespace kb
