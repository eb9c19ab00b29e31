#pragma once

namespace kb {

// Whether dialogs and a browser can be shown: false without an X or Wayland
// display, or when SDL is told to run headless (dummy or offscreen driver).
bool DesktopAvailable();

// Records the calling thread as the one that owns SDL's video subsystem;
// SDL calls that touch it are only made from that thread.
void MarkVideoThread();
// True when no thread owns SDL video yet, or the caller is that thread.
bool OnVideoThread();

}  // namespace kb
