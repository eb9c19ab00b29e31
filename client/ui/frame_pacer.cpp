#include "client/ui/frame_pacer.h"

namespace kb {

void FramePacer::SetRefreshRate(int hz) {
  // Beyond 1000 Hz the millisecond loop could not keep up anyway.
  if (hz <= 0 || hz > 1000) hz = kDefaultRefreshHz;
  if (hz == hz_) return;
  hz_ = hz;
  periodUs_ = 1000000 / hz;
}

bool FramePacer::Due(int64_t now, int state) const {
  return !shownAny_ || state != shownState_ || now * 1000 >= nextUs_;
}

void FramePacer::Presented(int64_t now, int state) {
  const int64_t nowUs = now * 1000;
  if (!shownAny_ || nowUs >= nextUs_) {
    nextUs_ += periodUs_;
    // After a stall (a slow frame, a blocked loop) start a new schedule
    // instead of presenting the missed refreshes back to back.
    if (nextUs_ <= nowUs) nextUs_ = nowUs + periodUs_;
  }
  shownAny_ = true;
  shownState_ = state;
}

}  // namespace kb
