#pragma once

namespace kb {

struct Client;

inline constexpr char kMenuHelp[] =
    "Starten: Leertaste | Bots: Bild Hoch/Runter | Multiplayer: Enter | Vollbild: Strg + F";
inline constexpr char kNetChooseHelp[] = "Internet: F1 | LAN: F2 | Vollbild: Strg + F";

// The main menu: slots with check boxes, the two options and the bot count.
void DrawMenuScreen(Client& client);

// The network choice shows only its buttons; it sets the help line.
void DrawNetChooseScreen(Client& client);

// The credit line and the title banner.
void DrawTitleBanner(Client& client);

// The help line, the version and the site link at the bottom.
void DrawBottomBar(Client& client);

}  // namespace kb
