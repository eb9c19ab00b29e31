#pragma once

namespace kb {

// An edge action: true once when the key goes down; the latch re-arms in the
// first frame the key is up.
inline bool EdgePressed(bool down, int& latch) {
  if (!down) {
    latch = 0;
    return false;
  }
  if (latch) return false;
  latch = 1;
  return true;
}

}  // namespace kb
