#include "server/window_link.h"

namespace kb {

ListButtons ListButtonsFor(const EntryButtons& captions, int entryState) {
  return {captions.registerCaption, EntryButtons::RegisterEnabled(entryState), captions.deleteCaption,
          EntryButtons::DeleteEnabled(entryState)};
}

void WindowLink::Post(std::function<void(ServerGame&)> work) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(work));
}

std::optional<WindowView> WindowLink::Round(ServerGame& game, SharedSettings& settings,
                                            const EntryButtons& captions) {
  std::vector<std::function<void(ServerGame&)>> work;
  {
    std::lock_guard lock(mutex_);
    work.swap(posted_);
  }
  for (auto& w : work) w(game);
  WindowView view;
  view.status = game.StatusLine();
  view.settings = settings.Snapshot(&view.applied);
  view.buttons = ListButtonsFor(captions, game.entryState);
  if (shown_ == view) return std::nullopt;
  shown_ = view;
  return view;
}

}  // namespace kb
