#include "common/platform/sdl/desktop_session.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace kb {

namespace {

std::mutex videoMutex;
std::thread::id videoThread;

[[maybe_unused]] bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

bool DesktopAvailable() {
  if (const char* driver = std::getenv("SDL_VIDEODRIVER")) {
    if (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) return false;
  }
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
  return true;
#else
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
#endif
}

void MarkVideoThread() {
  std::lock_guard lock(videoMutex);
  videoThread = std::this_thread::get_id();
}

bool OnVideoThread() {
  std::lock_guard lock(videoMutex);
  return videoThread == std::thread::id() || videoThread == std::this_thread::get_id();
}

}  // namespace kb
