#pragma once

namespace kb {

// The values kept in "Kringelbahn.ini".
struct Config {
  int windowX = 0;
  int windowY = 0;
  int fullScreenMode = 0;
};

}  // namespace kb
