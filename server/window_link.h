#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/list_registration.h"
#include "server/server_game.h"
#include "server/server_settings.h"

namespace kb {

// Captions (Latin-1) and enabling of the two list buttons.
struct ListButtons {
  std::string registerCaption;
  bool registerEnabled;
  std::string deleteCaption;
  bool deleteEnabled;
  bool operator==(const ListButtons&) const = default;
};
// The captions the list tasks set; enabling follows the EntryState.
ListButtons ListButtonsFor(const EntryButtons& captions, int entryState);

// What the server window shows, as the loop's thread saw it after a round.
struct WindowView {
  std::string status;  // Latin-1, the name's "%20" shown as spaces
  ServerSettings settings;
  uint64_t applied = 0;  // the window's settings changes included
  ListButtons buttons;
  bool operator==(const WindowView&) const = default;
};

// The window's way into the server loop: presses of the list buttons go in
// as work for the loop's thread, views of the server come out.
class WindowLink {
 public:
  // Any thread: work the loop's thread runs at its next Round.
  void Post(std::function<void(ServerGame&)> work);
  // Loop thread, once per round: runs the posted work and returns the view
  // when it differs from the one returned before.
  std::optional<WindowView> Round(ServerGame& game, SharedSettings& settings, const EntryButtons& captions);

 private:
  std::mutex mutex_;
  std::vector<std::function<void(ServerGame&)>> posted_;
  std::optional<WindowView> shown_;
};

}  // namespace kb
