#include "client/core/server_list.h"

#include <algorithm>

#include "client/core/server_list_state.h"

namespace kb {

uint64_t ServerList::Begin() {
  count_ = -1;
  return ++generation_;
}

bool ServerList::Current(uint64_t token) const { return token == generation_; }

ServerList::AddResult ServerList::Add(uint64_t token, ServerListEntry entry, bool sameEndpointOnce) {
  if (token != generation_) return AddResult::kStale;
  int count = std::max(count_, 0);
  if (sameEndpointOnce) {
    for (int i = 0; i < count; ++i)
      if (entries_[i].address == entry.address && entries_[i].port == entry.port)
        return AddResult::kDuplicate;
  }
  if (count >= kServerListSize) return AddResult::kFull;
  if (entry.name.size() > kServerNameLimit) entry.name.resize(kServerNameLimit);
  entries_[count] = std::move(entry);
  count_ = count + 1;
  return AddResult::kAdded;
}

void ServerList::Finish(uint64_t token) {
  if (token == generation_ && count_ < 0) count_ = 0;
}

std::vector<ServerListEntry> ServerList::Entries() const {
  if (count_ <= 0) return {};
  return std::vector<ServerListEntry>(entries_.begin(), entries_.begin() + count_);
}

void StartSearch(ServerListState& state, std::unique_ptr<ServerListSearch> search) {
  state.searchToken = state.list.Begin();
  state.search = std::move(search);
}

void StepSearch(ServerListState& state) {
  if (!state.search || !state.search->Step(state.list, state.searchToken)) return;
  state.list.Finish(state.searchToken);
  state.search.reset();
}

}  // namespace kb
