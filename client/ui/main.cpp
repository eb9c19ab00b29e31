#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "client/core/client.h"
#include "client/ui/display_mode.h"
#include "client/ui/frame_loop.h"
#include "client/ui/startup.h"
#include "common/platform/sdl/message_box.h"
#include "common/platform/sdl/open_url.h"
#include "common/platform/sdl/sdl_platform.h"

// Every end of the game, a failure included, exits with code 0.
int main() {
  using namespace kb;
  auto platform = std::make_unique<SdlPlatform>();
  if (!platform->Init()) {
    ShowMessageBox("Fehler", kWindowError, MessageKind::kWarning);
    return 0;
  }
  SystemClock clock;
  Random random = Random::FromEntropy();
  auto client = std::make_unique<Client>(clock, random, *platform, *platform);
  client->openUrl = OpenUrl;

  std::string error = StartClient(*client);
  if (error.empty()) {
    RunFrameLoop(*client);
    error = client->frame.fatalError;
  }
  // Running scripts stop before their next line; the window goes before the
  // message so that it does not hide behind it.
  client->scripts.RequestStop();
  bool scriptsEnded = client->scripts.WaitIdle(2000);
  platform->Close();
  if (!error.empty()) ShowMessageBox("Fehler", error, MessageKind::kWarning);
  if (!scriptsEnded) {
    // A script stuck in a message box still refers to the client: leave
    // without tearing anything down.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  return 0;
}
