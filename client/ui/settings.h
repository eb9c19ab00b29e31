#pragma once

#include <string>

namespace kb {

class Display;
struct Config;

// "Kringelbahn.ini" in the given home directory.
std::string SettingsPath(const std::string& directory);

// Reads the window position and display mode; a missing file or key takes
// the default (the window centred on the desktop, window mode).
void LoadSettings(Config& config, Display& display);

// Writes the file anew: in window mode with the window's current position,
// in full screen with the position read at start-up. Silent when it cannot.
void SaveSettings(Config& config, Display& display);

}  // namespace kb
