#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "client/app/client.h"
#include "client/app/display_mode.h"
#include "client/app/frame_loop.h"
#include "client/app/startup.h"
#include "client/app/startup_watchdog.h"
#include "common/platform/sdl/message_box.h"
#include "common/platform/sdl/open_url.h"
#include "common/platform/sdl/sdl_audio.h"
#include "common/platform/sdl/sdl_platform.h"

namespace {

// Far beyond a slow start on a loaded machine (font caches being built).
constexpr std::chrono::seconds kStartupLimit{30};

}  // namespace

// A failure (start-up, display) ends with code 1, every other end with 0.
int main() {
  using namespace kb;
  auto platform = std::make_unique<SdlPlatform>();
  // A start that hangs in the display or driver layers ends with the
  // failure message instead of leaving a process without a window. The
  // settings are not touched before the first frame, so nothing is lost.
  StartupWatchdog watchdog(
      kStartupLimit, [&platform] { return platform->PresentedOnce(); },
      [] {
        ShowMessageBox("Fehler", kWindowError, MessageKind::kWarning);
        std::fflush(nullptr);
        std::_Exit(1);
      });
  if (!platform->Init()) {
    watchdog.Disarm();
    ShowMessageBox("Fehler", kWindowError, MessageKind::kWarning);
    return 1;
  }
  SystemClock clock;
  Random random = Random::FromEntropy();
  auto client = std::make_unique<Client>(clock, random, *platform, *platform);
  client->openUrl = OpenUrl;
  // Closed before the platform's SDL goes.
  auto audio = std::make_unique<SdlAudio>();
  client->audio = audio.get();

  std::string error = StartClient(*client);
  if (!error.empty()) watchdog.Disarm();
  if (error.empty()) {
    RunFrameLoop(*client);
    error = client->fatalError;
  }
  watchdog.Disarm();
  // The window goes before the message so that it does not hide behind it.
  platform->Close();
  if (!error.empty()) ShowMessageBox("Fehler", error, MessageKind::kWarning);
  if (OpenApart() > 0) {
    // A script's message box is still open on its own thread inside the
    // display library: leave without tearing anything down.
    std::fflush(nullptr);
    std::_Exit(error.empty() ? 0 : 1);
  }
  return error.empty() ? 0 : 1;
}
