#pragma once

#include <cstdint>

namespace kb {

// Decides which passes of the frame loop draw and present. The loop runs
// about once a millisecond so that input and the clock-paced rules keep their
// pace, but a display shows only one frame per refresh: drawing more costs
// CPU and shows nothing. A screen change is shown at once.
class FramePacer {
 public:
  static constexpr int kDefaultRefreshHz = 60;

  // The display's refresh rate in Hz; 0 or less when it cannot be told.
  void SetRefreshRate(int hz);
  int RefreshRate() const { return hz_; }

  // Whether the pass at now (ms) with this game state must draw: a refresh
  // is due, or the screen changed since the last frame shown.
  bool Due(int64_t now, int state) const;
  // Notes a frame shown at now; presents outside the schedule (fade frames)
  // count as shown but keep the schedule.
  void Presented(int64_t now, int state);

 private:
  int hz_ = kDefaultRefreshHz;
  // Microseconds, so a 60 Hz period of 16.67 ms does not drift to 16 or 17.
  int64_t periodUs_ = 1000000 / kDefaultRefreshHz;
  int64_t nextUs_ = 0;
  bool shownAny_ = false;
  int shownState_ = 0;
};

}  // namespace kb
