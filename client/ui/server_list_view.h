#pragma once

#include <vector>

#include "client/core/server_list_state.h"
#include "client/ui/resources.h"
#include "common/platform/core/image.h"

namespace kb {

inline constexpr char kNetWebHelp[] = "Verbinden: Enter | Liste neu laden: F5 | Vollbild: Strg + F";
inline constexpr char kNetLanHelp[] =
    "Verbinden: Enter | Manuell: F1 | Server suchen: F5 | Vollbild: Strg + F";

// The list's frame, its rows with the highlight and padlocks (and on the LAN
// screen the player counts), or the searching or empty text.
void DrawServerList(Image& screen, Resources& resources, const std::vector<ServerListEntry>& entries,
                    int count, int selected, bool lanScreen);

// The list screens net_lan and net_web; returns the help line.
const char* DrawServerListScreen(Image& screen, Resources& res, const ServerListState& state, bool lan);

}  // namespace kb
