#include <emscripten/emscripten.h>

#include <memory>
#include <string>

#include "client/app/client.h"
#include "client/app/display_mode.h"
#include "client/app/frame_loop.h"
#include "client/app/startup.h"
#include "common/platform/sdl/message_box.h"
#include "common/platform/sdl/open_url.h"
#include "common/platform/sdl/sdl_audio.h"
#include "common/platform/sdl/sdl_platform.h"

namespace {

using namespace kb;

// Lives as long as the page: the browser calls the loop after main returned.
struct BrowserGame {
  SdlPlatform platform;
  SdlAudio audio;
  SystemClock systemClock;
  SteppedClock clock{systemClock};
  Random random = Random::FromEntropy();
  Client client{clock, random, platform, platform};
};

void ShowEnd(const std::string& error) {
  if (!error.empty()) ShowMessageBox("Fehler", error, MessageKind::kWarning);
  EM_ASM({
    var status = document.getElementById('status');
    if (status) status.textContent = 'Das Spiel ist beendet. Neu laden, um wieder zu spielen.';
  });
}

// One call per display frame. The settings are not kept in a browser.
void RunFrame(void* data) {
  auto* game = static_cast<BrowserGame*>(data);
  if (RunSteppedPasses(game->client, game->clock)) return;
  emscripten_cancel_main_loop();
  game->platform.Close();
  ShowEnd(game->client.fatalError);
}

}  // namespace

int main() {
  auto* game = new BrowserGame;
  if (!game->platform.Init()) {
    ShowEnd(kWindowError);
    return 0;
  }
  game->client.openUrl = OpenUrl;
  game->client.audio = &game->audio;
  std::string error = StartClient(game->client);
  if (!error.empty()) {
    game->platform.Close();
    ShowEnd(error);
    return 0;
  }
  // The browser calls the loop at its display's rate and draws in between.
  emscripten_set_main_loop_arg(RunFrame, game, 0, false);
  return 0;
}
