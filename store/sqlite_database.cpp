#include "store/sqlite_database.h"

#include <sqlite3.h>

SqliteDatabase::~SqliteDatabase() { Close(); }

bool SqliteDatabase::Open(const std::filesystem::path& file) {
  Close();
  // The owner's lock serialises every call, so SQLite's own mutexes are not needed.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  sqlite3* connection = nullptr;
  if (sqlite3_open_v2(file.c_str(), &connection, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(connection);
    return false;
  }
  connection_ = connection;
  // A database that is not really one (an old file of another kind left at the
  // path) fails here rather than at the first query.
  if (!Execute("PRAGMA synchronous=OFF") || !Execute("PRAGMA journal_mode=MEMORY") ||
      !Execute("PRAGMA cache_size=-32768") || !Execute("PRAGMA temp_store=MEMORY")) {
    Close();
    return false;
  }
  return true;
}

void SqliteDatabase::Close() {
  statements_.clear();
  writeOpen_ = false;
  if (connection_ != nullptr) {
    // A statement still leased keeps the connection until it is finalised.
    sqlite3_close_v2(connection_);
    connection_ = nullptr;
  }
}

bool SqliteDatabase::Execute(const std::string& sql) {
  if (connection_ == nullptr) return false;
  return sqlite3_exec(connection_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteDatabase::Lease SqliteDatabase::Statement(const std::string& sql) {
  if (connection_ == nullptr) return Lease(nullptr);
  auto found = statements_.find(sql);
  if (found == statements_.end()) {
    auto statement = std::make_shared<SqliteStatement>(connection_, sql);
    if (!statement->IsValid()) return Lease(nullptr);
    if (statements_.size() >= kMaxCachedStatements) statements_.clear();
    found = statements_.emplace(sql, std::move(statement)).first;
  }
  return Lease(found->second);
}

int SqliteDatabase::Changes() const {
  return connection_ == nullptr ? 0 : sqlite3_changes(connection_);
}

bool SqliteDatabase::InTransaction() const {
  return connection_ != nullptr && sqlite3_get_autocommit(connection_) == 0;
}

bool SqliteDatabase::BeginWrite() {
  if (connection_ == nullptr) return false;
  if (writeOpen_ && InTransaction()) return true;
  writeOpen_ = false;
  if (InTransaction()) return true;  // a transaction begun by a caller's own statement
  if (!Execute("BEGIN")) return false;
  writeOpen_ = true;
  writeStarted_ = std::chrono::steady_clock::now();
  return true;
}

void SqliteDatabase::EndWrite() {
  if (writeOpen_ && !InTransaction()) writeOpen_ = false;
  CommitIfDue();
}

void SqliteDatabase::CommitIfDue() {
  if (writeOpen_ && std::chrono::steady_clock::now() - writeStarted_ >= kCommitInterval) {
    CommitPending();
  }
}

bool SqliteDatabase::CommitPending() {
  if (!writeOpen_) return true;
  Execute("COMMIT");
  // A commit that another connection's read lock keeps waiting stays open
  // and is tried again later.
  writeOpen_ = InTransaction();
  return !writeOpen_;
}
