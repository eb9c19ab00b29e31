#include "listd/list_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/platform/core/address.h"

namespace kb {
namespace {

// A prepared statement that finalises itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  bool Ok() const { return stmt_ != nullptr; }
  Statement& Bind(int i, int64_t v) { return sqlite3_bind_int64(stmt_, i, v), *this; }
  // Addresses are stored as blobs; what an expression over them gives is text.
  Statement& BindText(int i, const std::string& v) {
    return sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), *this;
  }
  Statement& Bind(int i, const std::string& v) {
    // Names are Latin-1 bytes, not UTF-8: kept as a blob, byte for byte.
    return sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), *this;
  }
  int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  sqlite3_stmt* Raw() { return stmt_; }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) {
    const void* p = sqlite3_column_blob(stmt_, column);
    return p ? std::string(static_cast<const char*>(p), sqlite3_column_bytes(stmt_, column)) : std::string();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// An empty text as NULL: a row without it reads as one of older versions.
Statement& BindOrNull(Statement& statement, int i, const std::string& v) {
  if (v.empty()) return sqlite3_bind_null(statement.Raw(), i), statement;
  return statement.BindText(i, v);
}

constexpr const char* kColumns = "address, port, name, pass, confirmed, checked, failures, listed, sid";
// The network and the group of per-address limits, as NetworkOf and
// AddressGroup give them. IPv4 rows leave both columns empty, as rows of
// older versions do, and the /24 comes from the dotted text.
#define KB_NETWORK "coalesce(net, rtrim(address, '0123456789') || '0/24')"
#define KB_GROUP "coalesce(grp, CAST(address AS TEXT))"
#define KB_IPV6 "instr(address, ':') > 0"

}  // namespace

std::string NetworkOf(const std::string& address) { return NetworkGroup(address); }

ListStore::~ListStore() { sqlite3_close_v2(db_); }

bool ListStore::Fail(const std::string& what) {
  // The first failure is the reason; a rollback after it must not hide it.
  if (!error_.empty()) return false;
  error_ = what + sqlite3_errmsg(db_);
  if (int code = sqlite3_system_errno(db_)) error_ += std::string(" (") + std::strerror(code) + ")";
  return false;
}

bool ListStore::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail("");
}

std::string ListStore::Error() {
  std::lock_guard lock(mutex_);
  return error_;
}

bool ListStore::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  path_ = path;
  error_.clear();
  int opened = sqlite3_open_v2(path.c_str(), &db_,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (!db_) return error_ = "out of memory", false;
  if (opened != SQLITE_OK) return Fail("");
  // Other instances on the same file hold their write locks only briefly.
  sqlite3_busy_timeout(db_, 5000);
  bool ok = Exec("PRAGMA journal_mode=WAL") && Exec("PRAGMA synchronous=FULL") &&
            Exec("CREATE TABLE IF NOT EXISTS entries (address TEXT NOT NULL, port INTEGER NOT NULL, "
                 "name BLOB NOT NULL, pass INTEGER NOT NULL, confirmed INTEGER NOT NULL, "
                 "checked INTEGER NOT NULL, failures INTEGER NOT NULL, listed INTEGER NOT NULL DEFAULT 0, "
                 "PRIMARY KEY (address, port))") &&
            Exec("CREATE INDEX IF NOT EXISTS entries_confirmed ON entries (confirmed)");
  // Files of older versions lack the time of listing (they count as listed
  // before anything new), and the IPv6 columns (they hold IPv4 rows only).
  for (const char* column : {"listed INTEGER NOT NULL DEFAULT 0", "grp TEXT", "net TEXT", "sid TEXT"}) {
    std::string name(column, std::strchr(column, ' '));
    Statement has(db_, "SELECT COUNT(*) FROM pragma_table_info('entries') WHERE name = ?");
    has.BindText(1, name);
    if (ok && has.Step() == SQLITE_ROW && has.Int(0) == 0)
      ok = Exec(("ALTER TABLE entries ADD COLUMN " + std::string(column)).c_str());
  }
  ok = ok && Exec("CREATE INDEX IF NOT EXISTS entries_net ON entries (" KB_NETWORK ")") &&
       Exec("CREATE INDEX IF NOT EXISTS entries_grp ON entries (" KB_GROUP ")") &&
       Exec("CREATE INDEX IF NOT EXISTS entries_sid ON entries (sid, port)");
  // A read-only folder or file shows only at the first write. A file we may
  // not write opens read-only, and with its journal files present even a
  // write transaction starts in it: ask SQLite how it opened the file.
  ok = ok && Exec("BEGIN IMMEDIATE") && Exec("COMMIT");
  bool readOnly = ok && sqlite3_db_readonly(db_, "main") != 0;
  if (readOnly) ok = false, error_ = "it opens read-only";
  // SQLite names the step that failed, and the error of its last system
  // call, which need not be why: say what the system thinks of writing there.
  if (!ok && access(path.c_str(), W_OK) != 0 && errno != ENOENT)
    error_ = (readOnly ? error_ : sqlite3_errmsg(db_)) + " (" + std::strerror(errno) + ")";
  struct stat file {};
  if (ok && stat(path.c_str(), &file) != 0) ok = false, error_ = std::strerror(errno);
  device_ = file.st_dev, inode_ = file.st_ino;
  return ok;
}

std::string ListStore::LostLocked() {
  struct stat file {};
  if (stat(path_.c_str(), &file) != 0) return errno == ENOENT ? "was removed" : std::strerror(errno);
  if (file.st_dev != device_ || file.st_ino != inode_) return "was replaced by another file";
  return {};
}

std::string ListStore::Lost() {
  std::lock_guard lock(mutex_);
  return LostLocked();
}

ListStore::Stored ListStore::Put(const ListEntry& e, const Limits& limits) {
  std::lock_guard lock(mutex_);
  ++writes_;
  error_.clear();
  if (std::string lost = LostLocked(); !lost.empty()) return error_ = path_ + " " + lost, Stored::kFailed;
  // IMMEDIATE: the counts and the insert see one state even across instances.
  if (!Exec("BEGIN IMMEDIATE")) return Stored::kFailed;
  auto finish = [&](Stored result) {
    if (result == Stored::kFailed || !Exec("COMMIT")) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      result = Stored::kFailed;
    }
    return result;
  };
  auto count = [](Statement& query) { return query.Step() == SQLITE_ROW ? query.Int(0) : -1; };
  Statement update(db_,
                   "UPDATE entries SET name = ?, pass = ?, confirmed = ?, checked = ?, failures = 0, sid = ? "
                   "WHERE address = ? AND port = ?");
  update.Bind(1, e.name).Bind(2, e.pass).Bind(3, e.confirmed).Bind(4, e.checked);
  BindOrNull(update, 5, e.serverId).Bind(6, e.address);
  if (update.Bind(7, e.port).Step() != SQLITE_DONE) return Fail(""), finish(Stored::kFailed);
  if (sqlite3_changes(db_) > 0) return finish(Stored::kRefreshed);
  Statement mine(db_, "SELECT COUNT(*) FROM entries WHERE " KB_GROUP " = ?");
  Statement network(db_, "SELECT COUNT(*) FROM entries WHERE " KB_NETWORK " = ?");
  Statement all(db_, "SELECT COUNT(*) FROM entries");
  mine.BindText(1, AddressGroup(e.address));
  network.BindText(1, NetworkOf(e.address));
  int64_t counts[] = {count(mine), count(network), count(all)};
  if (std::min({counts[0], counts[1], counts[2]}) < 0) return Fail(""), finish(Stored::kFailed);
  if (counts[0] >= limits.perAddress) return finish(Stored::kAddressFull);
  if (counts[1] >= limits.perNetwork) return finish(Stored::kNetworkFull);
  if (counts[2] >= limits.total) return finish(Stored::kListFull);
  Statement insert(db_,
                   "INSERT INTO entries (address, port, name, pass, confirmed, checked, failures, listed, sid, grp, net) "
                   "VALUES (?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?)");
  insert.Bind(1, e.address).Bind(2, e.port).Bind(3, e.name).Bind(4, e.pass).Bind(5, e.confirmed);
  insert.Bind(6, e.checked).Bind(7, e.confirmed);
  bool v6 = IsIpv6Text(e.address);
  BindOrNull(insert, 8, e.serverId);
  BindOrNull(insert, 9, v6 ? AddressGroup(e.address) : std::string());
  BindOrNull(insert, 10, v6 ? NetworkOf(e.address) : std::string());
  if (insert.Step() != SQLITE_DONE) return Fail(""), finish(Stored::kFailed);
  return finish(Stored::kNew);
}

int ListStore::Delete(const std::string& address, int port) {
  std::lock_guard lock(mutex_);
  ++writes_;
  error_.clear();
  if (std::string lost = LostLocked(); !lost.empty()) return error_ = path_ + " " + lost, -1;
  Statement del(db_, port ? "DELETE FROM entries WHERE address = ? AND port = ?"
                          : "DELETE FROM entries WHERE address = ?");
  del.Bind(1, address);
  if (port) del.Bind(2, port);
  if (del.Step() != SQLITE_DONE) return Fail(""), -1;
  return sqlite3_changes(db_);
}

std::vector<ListEntry> ListStore::Select(const std::string& sql, std::vector<int64_t> values) {
  std::vector<ListEntry> out;
  Statement query(db_, sql.c_str());
  for (size_t i = 0; i < values.size(); ++i) query.Bind(static_cast<int>(i + 1), values[i]);
  while (query.Step() == SQLITE_ROW) {
    ListEntry e;
    e.address = query.Text(0);
    e.port = static_cast<int>(query.Int(1));
    e.name = query.Text(2);
    e.pass = static_cast<int>(query.Int(3));
    e.confirmed = query.Int(4);
    e.checked = query.Int(5);
    e.failures = static_cast<int>(query.Int(6));
    e.listed = query.Int(7);
    e.serverId = query.Text(8);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<ListEntry> ListStore::Shown(size_t places, int perNetwork) {
  std::lock_guard lock(mutex_);
  // The list is asked for far more often than it changes: the last answer
  // holds until this or another connection to the file writes.
  Statement version(db_, "PRAGMA data_version");
  ShownKey key{places, perNetwork, writes_, version.Step() == SQLITE_ROW ? version.Int(0) : -1};
  if (std::get<3>(key) >= 0 && key == shownKey_) return shown_;
  // A flood of new entries can take the recent half at most, and no network
  // more than perNetwork places.
  int64_t senior = static_cast<int64_t>(places / 2);
  shownKey_ = key;
  shown_ = Select(std::string("WITH candidates AS (SELECT id, listed, confirmed FROM ("
                            "  SELECT rowid AS id, listed, confirmed, ROW_NUMBER() OVER ("
                            "    PARTITION BY " KB_NETWORK " ORDER BY listed, rowid) AS seniority FROM entries"
                            "  WHERE NOT (" KB_IPV6 " AND sid IS NOT NULL AND EXISTS (SELECT 1 FROM entries AS v4"
                            "    WHERE v4.sid = entries.sid AND v4.port = entries.port AND instr(v4.address, ':') = 0)))"
                            "  WHERE seniority <= ?1), "
                            "senior AS (SELECT id FROM candidates ORDER BY listed, id LIMIT ?2), "
                            "recent AS (SELECT id FROM candidates WHERE id NOT IN senior "
                            "  ORDER BY confirmed DESC, id DESC LIMIT ?3) "
                            "SELECT ") +
                    kColumns +
                    " FROM entries WHERE rowid IN senior OR rowid IN recent ORDER BY confirmed DESC, rowid DESC",
                {perNetwork, senior, static_cast<int64_t>(places) - senior});
  Statement partner(db_, "SELECT address FROM entries WHERE sid = ? AND port = ? AND " KB_IPV6
                         " ORDER BY confirmed DESC LIMIT 1");
  for (ListEntry& e : shown_) {
    if (e.serverId.empty() || IsIpv6Text(e.address)) continue;
    sqlite3_reset(partner.Raw());
    partner.BindText(1, e.serverId).Bind(2, e.port);
    if (partner.Step() == SQLITE_ROW) e.ipv6 = partner.Text(0);
  }
  return shown_;
}

std::vector<ListEntry> ListStore::CheckedBefore(int64_t time) {
  std::lock_guard lock(mutex_);
  return Select(std::string("SELECT ") + kColumns + " FROM entries WHERE checked <= ? ORDER BY checked", {time});
}

std::vector<ListEntry> ListStore::NoteChecks(const std::vector<ListEntry>& entries, const std::vector<bool>& reachable,
                                             int64_t now, int removeAfter) {
  std::lock_guard lock(mutex_);
  ++writes_;
  std::vector<ListEntry> removed;
  // One transaction for the pass: a commit each would wait for the disk each.
  if (!Exec("BEGIN IMMEDIATE")) return removed;
  Statement del(db_, "DELETE FROM entries WHERE address = ? AND port = ? AND confirmed = ?");
  Statement note(
      db_, "UPDATE entries SET checked = ?, failures = ? WHERE address = ? AND port = ? AND confirmed = ?");
  for (size_t i = 0; i < entries.size() && i < reachable.size(); ++i) {
    const ListEntry& e = entries[i];
    bool remove = !reachable[i] && e.failures + 1 >= removeAfter;
    Statement& change = remove ? del : note;
    sqlite3_reset(change.Raw());
    if (remove) {
      del.Bind(1, e.address).Bind(2, e.port).Bind(3, e.confirmed);
    } else {
      note.Bind(1, now).Bind(2, reachable[i] ? 0 : e.failures + 1).Bind(3, e.address).Bind(4, e.port);
      note.Bind(5, e.confirmed);
    }
    if (change.Step() == SQLITE_DONE && remove && sqlite3_changes(db_) > 0) removed.push_back(e);
  }
  if (!Exec("COMMIT")) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    removed.clear();
  }
  return removed;
}

bool ListStore::Reachable(const std::string& address, int port) {
  std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT 1 FROM entries WHERE address = ? AND port = ? AND failures = 0");
  query.Bind(1, address).Bind(2, port);
  return query.Step() == SQLITE_ROW;
}

int ListStore::Count() {
  std::lock_guard lock(mutex_);
  Statement all(db_, "SELECT COUNT(*) FROM entries");
  return all.Step() == SQLITE_ROW ? static_cast<int>(all.Int(0)) : -1;
}

}  // namespace kb
