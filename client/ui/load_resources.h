#pragma once

namespace kb {

struct Resources;

// The six font slots; a face that cannot be found leaves its texts empty.
void LoadFonts(Resources& resources);

// Decodes the carried pictures (padlocks, banner, item icons, triangle); one
// that cannot be decoded stays empty.
void LoadPictures(Resources& resources);

// The button bars, the banner highlight and the pointer; done again after
// every display switch. The black fade overlay needs no picture: DrawFrame
// darkens the frame directly.
void LoadSprites(Resources& resources);

}  // namespace kb
