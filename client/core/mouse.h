#pragma once

namespace kb {

struct Client;

// The mouse strictly inside the 170 x 42 face of a button at (x, y): an edge
// pixel does not count.
bool MouseInButton(const Client& client, int x, int y);

// The mouse inside the rectangle, both edges included.
bool MouseInRect(const Client& client, int x, int y, int w, int h);

}  // namespace kb
