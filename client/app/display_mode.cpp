#include "client/app/display_mode.h"

#include "client/app/client.h"
#include "client/ui/button.h"
#include "client/ui/load_resources.h"

namespace kb {

void SwitchDisplayMode(Client& client) {
  Config& config = client.config;
  if (!client.display.HasFullScreen()) return;
  bool toFullScreen = config.fullScreenMode == 0;
  client.display.Close();
  // Back to the window at the position read at start-up, not where it was.
  if (!client.display.Open(toFullScreen, config.windowX, config.windowY)) {
    client.fatalError = kWindowError;
    client.frame.quit = true;
    return;
  }
  LoadSprites(client.resources);
  BuildButtonSprites(client.menuButtons, client.resources.fontLarge);
  config.fullScreenMode = toFullScreen ? 1 : 0;
}

}  // namespace kb
