#include "common/platform/sdl/sdl_error.h"

#include <SDL.h>

namespace kb {

std::string SdlError() { return SDL_GetError(); }

}  // namespace kb
