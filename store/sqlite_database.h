#pragma once
// SqliteDatabase: one SQLite connection to a scratch database file, with a
// cache of its prepared statements. A scratch store needs no durability, so
// the connection runs without syncing and keeps its journal in memory.
//
// Not thread safe: the owner serialises every call (CSqlManagement holds its
// lock around each use). Statements handed out belong to the cache and live
// until Close().

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
    explicit Lease(SqliteStatement* statement) : statement_(statement) {}
    ~Lease() {
      if (statement_ != nullptr) statement_->Reset();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    explicit operator bool() const { return statement_ != nullptr; }
    SqliteStatement* operator->() const { return statement_; }
    SqliteStatement& operator*() const { return *statement_; }

   private:
    SqliteStatement* statement_;
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
  // lease when the connection is closed or the text does not prepare.
  Lease Statement(const std::string& sql);
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int Changes() const;

 private:
  sqlite3* connection_ = nullptr;
  std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> statements_;
};
