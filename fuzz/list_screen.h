#pragma once

#include <cstdlib>

#include "client/core/server_list.h"
#include "client/ui/load_resources.h"
#include "client/ui/server_list_view.h"

namespace kb {

// Draws what a search put into the table as the list screens do, after checking that a hostile answer could
// not grow it past its bounds (ServerList holds kServerListSize entries and cuts names at kServerNameLimit).
inline void DrawFound(const ServerList& list, bool lanScreen) {
  static Resources* resources = [] {
    auto* r = new Resources;
    LoadFonts(*r);
    return r;
  }();
  // The screen ends below the list's third row: every Image operation clips (text_draw fuzzes that), so the
  // rows below meet the same code, and the list's box would otherwise cost most of a run in filled pixels.
  static Image screen(800, 190);
  std::vector<ServerListEntry> entries = list.Entries();
  if (entries.size() > kServerListSize) std::abort();
  for (const ServerListEntry& e : entries)
    if (e.name.size() > kServerNameLimit) std::abort();
  DrawServerList(screen, *resources, entries, list.Count(), 0, lanScreen);
}

}  // namespace kb
