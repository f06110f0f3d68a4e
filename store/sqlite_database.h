#pragma once
// SqliteDatabase: one SQLite connection to a scratch database file, with a
// cache of its prepared statements. A scratch store needs no durability, so
// the connection runs without syncing and keeps its journal in memory, and
// writes are grouped: BeginWrite() joins the open write transaction, which is
// committed once it is kCommitInterval old (at the next EndWrite() or
// CommitIfDue()) or by CommitPending(). This connection sees its own writes at
// once; other connections to the file see them after the commit. Committing
// each small write alone would write a dozen pages (table and indexes) each
// time and cost several times the write itself.
//
// Not thread safe: the owner serialises every call (CSqlManagement holds its
// lock around each use). Statements handed out belong to the cache and live
// until Close().

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "store/sqlite_statement.h"

struct sqlite3;

class SqliteDatabase {
 public:
  // A cached statement for one use: reset when the lease ends, so that no
  // statement keeps a read transaction open after the operation.
  class Lease {
   public:
    explicit Lease(std::shared_ptr<SqliteStatement> statement) : statement_(std::move(statement)) {}
    ~Lease() {
      if (statement_ != nullptr) statement_->Reset();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    explicit operator bool() const { return statement_ != nullptr; }
    SqliteStatement* operator->() const { return statement_.get(); }
    SqliteStatement& operator*() const { return *statement_; }

   private:
    // Shared with the cache, so that a statement outlives its eviction.
    std::shared_ptr<SqliteStatement> statement_;
  };

  SqliteDatabase() = default;
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Opens the file, creating it when missing (never its directory).
  bool Open(const std::filesystem::path& file);
  void Close();
  bool IsOpen() const { return connection_ != nullptr; }

  // Runs statement text without parameters; false on any failure.
  bool Execute(const std::string& sql);
  // The prepared statement for the text, prepared on first use; an empty
  // lease when the connection is closed or the text does not prepare. The
  // cache starts afresh once it holds kMaxCachedStatements texts.
  Lease Statement(const std::string& sql);
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int Changes() const;

  static constexpr std::chrono::milliseconds kCommitInterval{50};
  static constexpr std::size_t kMaxCachedStatements = 256;
  // Opens the write transaction unless one is open; false when it cannot.
  bool BeginWrite();
  // After a write: commits when due, and forgets a transaction that SQLite
  // ended itself after an error.
  void EndWrite();
  void CommitIfDue();
  // Commits the open write transaction now; true when none is left open.
  bool CommitPending();

 private:
  bool InTransaction() const;

  sqlite3* connection_ = nullptr;
  bool writeOpen_ = false;
  std::chrono::steady_clock::time_point writeStarted_;
  std::map<std::string, std::shared_ptr<SqliteStatement>, std::less<>> statements_;
};
