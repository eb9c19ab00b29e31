#include "server/window_link.h"

namespace kb {

ListButtons ListButtonsFor(int entryState) {
  switch (entryState) {
    case -1:
      return {"Server wird eingetragen...", false, "Eintrag l\xF6schen", false};
    case 1:
      return {"Eintrag erneuern", true, "Eintrag l\xF6schen", true};
    case 2:
      return {"Server eintragen", true, "Eintrag wird gel\xF6scht...", false};
    default:
      return {"Server eintragen", true, "Eintrag l\xF6schen", false};
  }
}

void WindowLink::Post(std::function<void(ServerGame&)> work) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(work));
}

std::optional<WindowView> WindowLink::Round(ServerGame& game, SharedSettings& settings) {
  std::vector<std::function<void(ServerGame&)>> work;
  {
    std::lock_guard lock(mutex_);
    work.swap(posted_);
  }
  for (auto& w : work) w(game);
  WindowView view;
  view.status = game.StatusLine();
  view.settings = settings.Snapshot(&view.applied);
  view.buttons = ListButtonsFor(game.entryState);
  if (shown_ == view) return std::nullopt;
  shown_ = view;
  return view;
}

}  // namespace kb
