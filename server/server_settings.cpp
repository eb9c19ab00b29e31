#include "server/server_settings.h"

#include "common/net/web_list.h"
#include "common/platform/core/latin1.h"

namespace kb {

std::string ServerNameProblem(std::string_view utf8) {
  if (utf8.empty()) return "the server name is empty";
  if (!IsValidUtf8(utf8)) return "the server name is not valid UTF-8 text";
  for (unsigned char c : utf8) {
    if (c < 0x20) return "the server name holds a control character";
  }
  // One name for the game and the Internet list: what the list would refuse
  // is refused here, before anyone tries to register it.
  if (std::string problem = ListNameProblem(Utf8ToLatin1(utf8)); !problem.empty())
    return "the Internet list would refuse it: " + problem;
  return {};
}

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
