#include "common/platform/sdl/sdl_pads.h"

#include <SDL.h>

#include <algorithm>

namespace kb {

SdlPads::~SdlPads() {
  for (const Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlPads::Init() {
  initialised_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  return initialised_;
}

void SdlPads::Add(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  int instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (std::any_of(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.instance == instance; })) return;
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) return;
  char guid[33];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(deviceIndex), guid, sizeof guid);
  // Two pads of one kind share a GUID: the second of them is "#2", and so on,
  // counting those plugged in now.
  std::string id = guid;
  auto same = std::count_if(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id.starts_with(guid); });
  for (long n = same + 1; std::any_of(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id == id; });
       ++n)
    id = std::string(guid) + "#" + std::to_string(n);
  pads_.push_back({controller, instance, id});
}

void SdlPads::HandleEvent(const SDL_Event& event) {
  if (event.type == SDL_CONTROLLERDEVICEADDED) Add(event.cdevice.which);
  if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
    auto gone = std::find_if(pads_.begin(), pads_.end(),
                             [&](const Pad& p) { return p.instance == event.cdevice.which; });
    if (gone == pads_.end()) return;
    SDL_GameControllerClose(gone->controller);
    pads_.erase(gone);
  }
}

std::vector<PadState> SdlPads::Read() const {
  std::vector<PadState> states;
  for (const Pad& pad : pads_) {
    SDL_GameController* c = pad.controller;
    auto button = [c](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(c, b) != 0; };
    int stick = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    states.push_back({
        .id = pad.id,
        .left = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER) ||
                stick < -kDeadZone,
        .right = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) ||
                 stick > kDeadZone,
        .use = button(SDL_CONTROLLER_BUTTON_A),
        .start = button(SDL_CONTROLLER_BUTTON_START),
        .back = button(SDL_CONTROLLER_BUTTON_BACK),
    });
  }
  return states;
}

}  // namespace kb
