#include "common/platform/sdl/open_url.h"

#include <SDL.h>

#include "common/platform/sdl/desktop_session.h"

namespace kb {

void OpenUrl(const std::string& url) {
  if (url.empty() || !DesktopAvailable()) return;
  SDL_OpenURL(url.c_str());
}

}  // namespace kb
