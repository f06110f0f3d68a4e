#pragma once
// SqliteStatement: one prepared SQLite statement, finalised with the object.
// Values are always bound, never pasted into the statement text. Not thread
// safe: the owner of the connection serialises every use.

#include <cstdint>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement {
 public:
  enum class StepResult { kRow, kDone, kError };

  // Prepares the text on the connection; IsValid() tells whether that worked.
  SqliteStatement(sqlite3* connection, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool IsValid() const { return statement_ != nullptr; }

  // Parameter indexes start at 1. Texts are copied.
  bool Bind(int index, int64_t value);
  bool Bind(int index, double value);
  bool Bind(int index, std::string_view text);

  StepResult Step();
  // Runs a statement that returns no rows to its end.
  bool Run() { return Step() == StepResult::kDone; }

  // Columns of the current row; indexes start at 0. NULL reads as 0 or "".
  int64_t ColumnInt(int column) const;
  double ColumnDouble(int column) const;
  std::string_view ColumnText(int column) const;

  // Ends the current run and forgets the bound values, so that a cached
  // statement holds no read transaction open between uses.
  void Reset();

 private:
  sqlite3_stmt* statement_ = nullptr;
};
