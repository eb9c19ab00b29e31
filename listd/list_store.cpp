#include "listd/list_store.h"

#include <sqlite3.h>

namespace kb {
namespace {

// A prepared statement that finalises itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  bool Ok() const { return stmt_ != nullptr; }
  Statement& Bind(int i, int64_t v) { return sqlite3_bind_int64(stmt_, i, v), *this; }
  Statement& Bind(int i, const std::string& v) {
    // Names are Latin-1 bytes, not UTF-8: kept as a blob, byte for byte.
    return sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), *this;
  }
  int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) {
    const void* p = sqlite3_column_blob(stmt_, column);
    return p ? std::string(static_cast<const char*>(p), sqlite3_column_bytes(stmt_, column)) : std::string();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

constexpr const char* kColumns = "address, port, name, pass, confirmed, checked, failures";

}  // namespace

ListStore::~ListStore() { sqlite3_close_v2(db_); }

bool ListStore::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error_ = message ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  return false;
}

bool ListStore::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    error_ = db_ ? sqlite3_errmsg(db_) : "out of memory";
    return false;
  }
  // Other instances on the same file hold their write locks only briefly.
  sqlite3_busy_timeout(db_, 5000);
  return Exec("PRAGMA journal_mode=WAL") && Exec("PRAGMA synchronous=FULL") &&
         Exec(
             "CREATE TABLE IF NOT EXISTS entries (address TEXT NOT NULL, port INTEGER NOT NULL, "
             "name BLOB NOT NULL, pass INTEGER NOT NULL, confirmed INTEGER NOT NULL, "
             "checked INTEGER NOT NULL, failures INTEGER NOT NULL, PRIMARY KEY (address, port))") &&
         Exec("CREATE INDEX IF NOT EXISTS entries_confirmed ON entries (confirmed)");
}

ListStore::Stored ListStore::Put(const ListEntry& e, int perAddress, int total) {
  std::lock_guard lock(mutex_);
  // IMMEDIATE: the counts and the insert see one state even across instances.
  if (!db_ || !Exec("BEGIN IMMEDIATE")) return Stored::kFailed;
  auto finish = [&](Stored result) {
    if (result == Stored::kFailed || !Exec("COMMIT")) Exec("ROLLBACK"), result = Stored::kFailed;
    return result;
  };
  Statement update(db_,
                   "UPDATE entries SET name = ?, pass = ?, confirmed = ?, checked = ?, failures = 0 "
                   "WHERE address = ? AND port = ?");
  update.Bind(1, e.name).Bind(2, e.pass).Bind(3, e.confirmed).Bind(4, e.checked).Bind(5, e.address);
  if (update.Bind(6, e.port).Step() != SQLITE_DONE) return finish(Stored::kFailed);
  if (sqlite3_changes(db_) > 0) return finish(Stored::kRefreshed);
  Statement mine(db_, "SELECT COUNT(*) FROM entries WHERE address = ?");
  if (mine.Bind(1, e.address).Step() != SQLITE_ROW) return finish(Stored::kFailed);
  if (mine.Int(0) >= perAddress) return finish(Stored::kAddressFull);
  Statement all(db_, "SELECT COUNT(*) FROM entries");
  if (all.Step() != SQLITE_ROW) return finish(Stored::kFailed);
  if (all.Int(0) >= total) return finish(Stored::kListFull);
  Statement insert(db_,
                   "INSERT INTO entries (address, port, name, pass, confirmed, checked, failures) "
                   "VALUES (?, ?, ?, ?, ?, ?, 0)");
  insert.Bind(1, e.address).Bind(2, e.port).Bind(3, e.name).Bind(4, e.pass).Bind(5, e.confirmed);
  if (insert.Bind(6, e.checked).Step() != SQLITE_DONE) return finish(Stored::kFailed);
  return finish(Stored::kNew);
}

int ListStore::Delete(const std::string& address, int port) {
  std::lock_guard lock(mutex_);
  Statement del(db_, port ? "DELETE FROM entries WHERE address = ? AND port = ?"
                          : "DELETE FROM entries WHERE address = ?");
  del.Bind(1, address);
  if (port) del.Bind(2, port);
  if (del.Step() != SQLITE_DONE) return -1;
  return sqlite3_changes(db_);
}

std::vector<ListEntry> ListStore::Select(const char* where, int64_t value) {
  std::vector<ListEntry> out;
  std::string sql = std::string("SELECT ") + kColumns + " FROM entries " + where;
  Statement query(db_, sql.c_str());
  query.Bind(1, value);
  while (query.Step() == SQLITE_ROW) {
    ListEntry e;
    e.address = query.Text(0);
    e.port = static_cast<int>(query.Int(1));
    e.name = query.Text(2);
    e.pass = static_cast<int>(query.Int(3));
    e.confirmed = query.Int(4);
    e.checked = query.Int(5);
    e.failures = static_cast<int>(query.Int(6));
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<ListEntry> ListStore::Newest(size_t limit) {
  std::lock_guard lock(mutex_);
  return Select("ORDER BY confirmed DESC, rowid DESC LIMIT ?", static_cast<int64_t>(limit));
}

std::vector<ListEntry> ListStore::CheckedBefore(int64_t time) {
  std::lock_guard lock(mutex_);
  return Select("WHERE checked <= ? ORDER BY checked", time);
}

bool ListStore::NoteCheck(const ListEntry& e, bool reachable, int64_t now, int removeAfter) {
  std::lock_guard lock(mutex_);
  if (!reachable && e.failures + 1 >= removeAfter) {
    Statement del(db_, "DELETE FROM entries WHERE address = ? AND port = ? AND confirmed = ?");
    del.Bind(1, e.address).Bind(2, e.port).Bind(3, e.confirmed).Step();
    return sqlite3_changes(db_) > 0;
  }
  Statement note(
      db_, "UPDATE entries SET checked = ?, failures = ? WHERE address = ? AND port = ? AND confirmed = ?");
  note.Bind(1, now).Bind(2, reachable ? 0 : e.failures + 1).Bind(3, e.address).Bind(4, e.port);
  note.Bind(5, e.confirmed).Step();
  return false;
}

int ListStore::Count() {
  std::lock_guard lock(mutex_);
  Statement all(db_, "SELECT COUNT(*) FROM entries");
  return all.Step() == SQLITE_ROW ? static_cast<int>(all.Int(0)) : -1;
}

}  // namespace kb
