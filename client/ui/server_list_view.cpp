#include "client/ui/server_list_view.h"

#include <string>

#include "client/core/lan_search.h"
#include "client/core/model.h"
#include "client/core/server_list_hooks.h"
#include "client/ui/put_text.h"
#include "client/ui/resources.h"

namespace kb {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0;

}  // namespace

void DrawServerList(Image& screen, Resources& resources, const std::vector<ServerListEntry>& entries,
                    int count, int selected, bool lanScreen) {
  Font& font = resources.fontNormal;
  screen.FillBox(200, 120, 400, 390, kWhite);
  screen.FillBox(201, 121, 398, 388, kBlack);
  if (lanScreen && !kLanSearchPossible) {
    PutText(screen, font, 203, 123, "Im Browser gibt es keine LAN-Suche.", kWhite);
    PutText(screen, font, 203, 143, "Mit F1 kann ein Server von Hand eingegeben werden.", kWhite);
    return;
  }
  if (count < 0) {
    PutText(screen, font, 203, 123, lanScreen ? "Suche nach Servern..." : "Lade Serverliste...", kWhite);
    return;
  }
  if (count == 0 || entries.empty()) {
    PutText(screen, font, 203, 123, "Keine Server gefunden.", kWhite);
    return;
  }
  for (int i = 0; i < count && i < static_cast<int>(entries.size()); ++i) {
    const ServerListEntry& entry = entries[i];
    int y = 123 + 20 * i;
    bool highlighted = i == selected;
    Colour text = highlighted ? kBlack : kWhite;
    if (highlighted) screen.FillBox(202, y - 1, 396, font.TextHeight(entry.name) + 2, kWhite);
    // The name ends before the padlock and the player count.
    int nameEnd = entry.hasPassword ? 581 : 596;
    if (entry.hasPassword)
      screen.Draw(highlighted ? resources.lockIconOnLight : resources.lockIconOnDark, 585, y + 2);
    if (lanScreen) {
      std::string players = std::to_string(entry.players);
      int right = entry.hasPassword ? 582 : 595;
      PutText(screen, font, right - font.TextWidth(players), y, players, text);
      nameEnd = right - font.TextWidth(players) - 6;
    }
    PutText(screen, font, 203, y, FitText(font, entry.name, nameEnd - 203), text);
  }
}

const char* DrawServerListScreen(Image& screen, Resources& res, const ServerListState& state, bool lan) {
  DrawServerList(screen, res, state.list.Entries(), state.list.Count(), state.selectedServer, lan);
  return lan ? kNetLanHelp : kNetWebHelp;
}

}  // namespace kb
