#include "client/core/server_list.h"

#include <algorithm>

#include "client/core/server_list_state.h"
#include "common/platform/core/address.h"

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
    for (int i = 0; i < count; ++i) {
      ServerListEntry& found = entries_[i];
      if (found.address == entry.address && found.port == entry.port) return AddResult::kDuplicate;
      if (entry.id.empty() || found.id != entry.id) continue;
      if (IsIpv6Text(found.address) && !IsIpv6Text(entry.address)) found.address = entry.address;
      return AddResult::kDuplicate;
    }
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
