#include "server/server_settings.h"

namespace kb {

uint64_t SharedSettings::Post(std::function<void(ServerSettings&)> change) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(change));
  return ++postedCount_;
}

void SharedSettings::Sync() {
  std::vector<std::function<void(ServerSettings&)>> changes;
  {
    std::lock_guard lock(mutex_);
    changes.swap(posted_);
  }
  // Applied outside the lock: only this thread touches owned_.
  for (auto& change : changes) change(owned_);
  std::lock_guard lock(mutex_);
  appliedCount_ += changes.size();
  if (!(published_ == owned_)) published_ = owned_;
}

ServerSettings SharedSettings::Snapshot(uint64_t* applied) const {
  std::lock_guard lock(mutex_);
  if (applied) *applied = appliedCount_;
  return published_;
}

}  // namespace kb
