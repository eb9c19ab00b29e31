#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kb {

constexpr int kServerListSize = 52;
// Longer names are cut: a hostile list host must not make the screen render
// a string megapixels wide.
constexpr size_t kServerNameLimit = 100;

struct ServerListEntry {
  std::string name;
  std::string address;
  int port = 0;
  // Only the LAN search fills these; id is empty for a server that sends none.
  int players = 0;
  int hasPassword = 0;
  std::string id = {};
};

// The table of found servers that the LAN search and the Internet list fetch
// fill while the list screens draw it. Count -1: a search runs and has found
// nothing yet; 0: nothing found; n: entries 0..n-1 are valid. Each search holds
// a token; a newer search takes the right to write from every older one.
class ServerList {
 public:
  enum class AddResult { kAdded, kDuplicate, kFull, kStale };

  int Count() const { return count_; }

  // A new search: the count becomes -1 at once and the previous search may no
  // longer write. Returns the new search's token.
  uint64_t Begin();
  bool Current(uint64_t token) const;

  // Writes the entry at index count, then raises the count. With
  // sameEndpointOnce an entry whose address and port, or whose id, were
  // already found in this search is dropped; a server found over IPv6 first
  // takes the IPv4 address when that answer comes, as a link-local IPv6
  // address reaches it only over one interface.
  AddResult Add(uint64_t token, ServerListEntry entry, bool sameEndpointOnce);

  // The search is over: a count still at -1 becomes 0.
  void Finish(uint64_t token);

  // The valid entries as they stand now.
  std::vector<ServerListEntry> Entries() const;

 private:
  std::array<ServerListEntry, kServerListSize> entries_;
  int count_ = 0;
  uint64_t generation_ = 0;
};

// A search that fills the table (the LAN search, the Internet list's fetch),
// stepped by the frame loop once a pass until it is over.
class ServerListSearch {
 public:
  virtual ~ServerListSearch() = default;
  // Adds what has arrived; true once the search is over.
  virtual bool Step(ServerList& list, uint64_t token) = 0;
};

}  // namespace kb
