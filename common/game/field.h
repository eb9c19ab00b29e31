#pragma once

#include "common/platform/core/image.h"
#include "common/platform/core/random.h"

namespace kb {

// The playing field, shared by the client's local rounds and the server.
constexpr int kFieldWidth = 800;
constexpr int kFieldHeight = 575;

// a..b inclusive.
int RandomRange(Random& random, int a, int b);

// A colour for a trail nobody chose (a bot's, a newcomer's on the server):
// each channel 20..255, and bright enough to be seen on the black field
// (luminance at least kMinTrailLuminance of 255).
constexpr int kMinTrailLuminance = 80;
int Luminance(Colour c);
Colour RandomTrailColour(Random& random);

// The border test: 0 <= x <= 800 and 0 <= y <= 575 (the far edges count as
// inside although they are one pixel past the image).
bool InsideField(int x, int y);
// Where the field starts in the 800 x 600 frame, below the status bar.
constexpr int kFieldTop = 25;

// A trail segment: round(L) filled discs of radius r, one pixel apart, from
// the start point towards the end point; the end point itself is covered by
// the next segment's first disc.
void DrawTrailSegment(Image& target, int x1, int y1, int x2, int y2, int r, Colour c);

}  // namespace kb
