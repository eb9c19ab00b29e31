#include "client/core/server_list.h"

namespace kb {

uint64_t ServerList::Begin() {
  std::lock_guard lock(mutex_);
  count_.store(-1, std::memory_order_release);
  return ++generation_;
}

bool ServerList::Current(uint64_t token) const {
  std::lock_guard lock(mutex_);
  return token == generation_;
}

ServerList::AddResult ServerList::Add(uint64_t token, ServerListEntry entry, bool sameEndpointOnce) {
  std::lock_guard lock(mutex_);
  if (token != generation_) return AddResult::kStale;
  int count = count_.load(std::memory_order_relaxed);
  if (count < 0) count = 0;
  if (sameEndpointOnce) {
    for (int i = 0; i < count; ++i)
      if (entries_[i].address == entry.address && entries_[i].port == entry.port)
        return AddResult::kDuplicate;
  }
  if (count >= kServerListSize) return AddResult::kFull;
  if (entry.name.size() > kServerNameLimit) entry.name.resize(kServerNameLimit);
  entries_[count] = std::move(entry);
  count_.store(count + 1, std::memory_order_release);
  return AddResult::kAdded;
}

void ServerList::Finish(uint64_t token) {
  std::lock_guard lock(mutex_);
  if (token == generation_ && count_.load(std::memory_order_relaxed) < 0)
    count_.store(0, std::memory_order_release);
}

std::vector<ServerListEntry> ServerList::Entries() const {
  std::lock_guard lock(mutex_);
  int count = count_.load(std::memory_order_relaxed);
  if (count <= 0) return {};
  return std::vector<ServerListEntry>(entries_.begin(), entries_.begin() + count);
}

}  // namespace kb
