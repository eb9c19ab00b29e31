#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "listd/list_format.h"

struct sqlite3;

namespace kb {

// The entries in one SQLite file (WAL, busy timeout, one transaction per
// change), so several service instances may share it and a crash loses no
// committed entry. Safe to use from several threads.
class ListStore {
 public:
  enum class Stored { kNew, kRefreshed, kAddressFull, kListFull, kFailed };

  ~ListStore();
  // Creates the file and its table when missing; false with Error() set.
  bool Open(const std::string& path);
  const std::string& Error() const { return error_; }

  // Inserts or refreshes (name, flag, times, failures reset) the entry of
  // address and port; a new one only while the address holds fewer than
  // perAddress entries and the list fewer than total.
  Stored Put(const ListEntry& entry, int perAddress, int total);
  // Removes the entry of address and port, or with port 0 every entry of
  // the address. The number removed, -1 on failure.
  int Delete(const std::string& address, int port = 0);
  // The most recently confirmed first.
  std::vector<ListEntry> Newest(size_t limit);
  // Entries whose last check is at or before the time.
  std::vector<ListEntry> CheckedBefore(int64_t time);
  // Notes one check of the entry as it was read (same confirmed time: a
  // registration meanwhile wins). A failure that makes `failures` reach
  // removeAfter removes it; true then.
  bool NoteCheck(const ListEntry& entry, bool reachable, int64_t now, int removeAfter);
  int Count();

 private:
  bool Exec(const char* sql);
  std::vector<ListEntry> Select(const char* sql, int64_t value);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string error_;
};

}  // namespace kb
