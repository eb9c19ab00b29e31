#pragma once

#include <cmath>
#include <cstdint>

#include "common/game/field.h"
#include "common/game/trig.h"
#include "common/platform/core/image.h"
#include "common/platform/core/random.h"

namespace kb {

constexpr int kTrailRadius = 3;
constexpr int kGapMs = 175;
constexpr int kSteerDegrees = 4;

inline bool IsTrailPixel(const Image& trail, int x, int y) {
  return InsideField(x, y) && trail.Contains(x, y) && trail.Pixel(x, y) != 0;
}

// Outside the field: eliminated at the next steering step.
template <class Head>
bool OutsideBorder(const Head& head) {
  return head.x > kFieldWidth || head.x < 0 || head.y > kFieldHeight || head.y < 0;
}

template <class Head>
void WrapHeading(Head& head) {
  if (head.heading > 359) head.heading -= 360;
  if (head.heading < 0) head.heading += 360;
}

// Places a head for a round: random heading, position and first gap.
template <class Head>
void PlaceHead(Head& head, Random& random, int64_t now, float headingOffset) {
  head.dead = 0;
  head.heading = static_cast<float>(random.Next(359)) + headingOffset;
  head.x = RandomRange(random, 50, 750);
  head.y = RandomRange(random, 50, 525);
  head.prevX = head.x;
  head.prevY = head.y;
  head.gapNext = now + RandomRange(random, 1500, 4000);
}

// One movement step of a head: moves it by `step` pixels, reads the one pixel
// under its new place (unless it passes trails) and draws the segment unless
// a gap is due. Returns whether it hit a trail; the caller eliminates it.
template <class Head>
bool MoveHead(Head& head, Image& trail, Random& random, int64_t now, int step, bool testTrail,
              Colour colour) {
  head.prevX = head.x;
  head.prevY = head.y;
  int d = DirectionIndex(head.heading);
  head.x = static_cast<int>(std::lround(head.x + CosTable()[d] * static_cast<float>(step)));
  head.y = static_cast<int>(std::lround(head.y + SinTable()[d] * static_cast<float>(step)));
  bool hit = testTrail && IsTrailPixel(trail, head.x, head.y);
  // The segment is drawn even by a head that has just hit something.
  if (now < head.gapNext && now > head.gapStart + kGapMs)
    DrawTrailSegment(trail, head.prevX, head.prevY, head.x, head.y, kTrailRadius, colour);
  if (now > head.gapNext) {
    head.gapStart = head.gapNext;
    head.gapNext = now + RandomRange(random, 1500, 4000);
  }
  return hit;
}

}  // namespace kb
