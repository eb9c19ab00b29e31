#pragma once

namespace kb {

struct Client;

// The impossible triangle, centred.
void DrawWtfScreen(Client& client);

// The red "666" screen.
void DrawHellScreen(Client& client);

}  // namespace kb
