#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <tuple>
#include <sys/types.h>
#include <vector>

#include "listd/list_format.h"

struct sqlite3;

namespace kb {

// The network an address belongs to for the list's limits: an IPv4 /24, an
// IPv6 /48 (NetworkGroup).
std::string NetworkOf(const std::string& address);

// The entries in one SQLite file (WAL, busy timeout, one transaction per
// change), so several service instances may share it and a crash loses no
// committed entry. Safe to use from several threads.
class ListStore {
 public:
  enum class Stored { kNew, kRefreshed, kAddressFull, kNetworkFull, kListFull, kFailed };
  struct Limits {
    int perAddress = 8;
    int perNetwork = 16;
    int total = 10000;
  };

  ~ListStore();
  // Creates the file and its table when missing and proves that it can be
  // written; false with Error() set (the path and the reason).
  bool Open(const std::string& path);
  // Why the last operation failed.
  std::string Error();
  // Empty while the file at the path is still the one opened; else what
  // happened to it. Writes to a removed or replaced file would be lost.
  std::string Lost();

  // Inserts or refreshes (name, flag, id, times, failures reset) the entry of
  // address and port; a new one only within the limits. perAddress counts an
  // IPv6 address's /64, perNetwork its /48.
  Stored Put(const ListEntry& entry, const Limits& limits);
  // Removes the entry of address and port, or with port 0 every entry of
  // the address. The number removed, -1 on failure.
  int Delete(const std::string& address, int port = 0);
  // The entries a list shows, the most recently confirmed first: of each
  // network its perNetwork longest listed, and of those half the places for
  // the longest listed and the rest for the most recently confirmed. An IPv6
  // entry of a server that also has an IPv4 one (same id and port) is no
  // entry of its own but the ipv6 of that one.
  std::vector<ListEntry> Shown(size_t places, int perNetwork);
  // Entries whose last check is at or before the time.
  std::vector<ListEntry> CheckedBefore(int64_t time);
  // Notes the checks of entries as they were read (same confirmed time: a
  // registration meanwhile wins). A failure that makes `failures` reach
  // removeAfter removes the entry. The entries removed.
  std::vector<ListEntry> NoteChecks(const std::vector<ListEntry>& entries, const std::vector<bool>& reachable,
                                    int64_t now, int removeAfter);
  int Count();
  // Whether address (plain) and port are an entry whose last check passed.
  bool Reachable(const std::string& address, int port);

 private:
  bool Exec(const char* sql);
  bool Fail(const std::string& what);
  std::string LostLocked();
  std::vector<ListEntry> Select(const std::string& sql, std::vector<int64_t> values);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::string error_;
  // The last Shown answer and what it depends on: its arguments, the writes
  // through this store and SQLite's data version (others' writes).
  using ShownKey = std::tuple<size_t, int, uint64_t, int64_t>;
  uint64_t writes_ = 0;
  ShownKey shownKey_{0, 0, 0, -1};
  std::vector<ListEntry> shown_;
};

}  // namespace kb
