#pragma once

#include <string>
#include <vector>

#include "client/core/sound_queue.h"

namespace kb {

// The values kept in "Kringelbahn.ini".
struct Config {
  int windowX = 0;
  int windowY = 0;
  int fullScreenMode = 0;
  // A key that older versions ignore.
  int soundVolume = kDefaultVolume;
  // The game controller bound to each player slot ("Pad1" to "Pad8"), empty
  // for none: older versions read past these keys.
  std::vector<std::string> padIds;

  // Where the file lives; LoadSettings puts it in the home directory unless
  // it was set before (tests point it at a temporary folder).
  std::string filePath;
};

}  // namespace kb
