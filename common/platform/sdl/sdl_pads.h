#pragma once

#include <string>
#include <vector>

#include "common/platform/core/input.h"

struct _SDL_GameController;
union SDL_Event;

namespace kb {

// The game controllers SDL recognises (its own mapping database, and
// SDL_GAMECONTROLLERCONFIG), opened as they come and closed as they go.
// Main thread only, after SDL's video and events are up.
class SdlPads {
 public:
  SdlPads() = default;
  ~SdlPads();
  SdlPads(const SdlPads&) = delete;
  SdlPads& operator=(const SdlPads&) = delete;

  // Starts SDL's controller support; false when it has none (no pads then).
  // The pads already plugged in arrive as events.
  bool Init();
  // Takes the plugging events; others pass unseen.
  void HandleEvent(const SDL_Event& event);
  // The open pads now, in the order they came.
  std::vector<PadState> Read() const;

  // A stick counts as pushed past this (of 32767): a worn stick rests off its
  // centre, and a slight push must not steer.
  static constexpr int kDeadZone = 12000;

 private:
  struct Pad {
    _SDL_GameController* controller;
    int instance;
    std::string id;
  };
  void Add(int deviceIndex);

  bool initialised_ = false;
  std::vector<Pad> pads_;
};

}  // namespace kb
