#pragma once

namespace kb {

struct Resources;
class Image;

// The impossible triangle, centred.
void DrawWtfScreen(Image& screen, const Resources& res);

// The red "666" screen.
void DrawHellScreen(Image& screen, Resources& res);

}  // namespace kb
