#include "store/sqlite_statement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3* connection, std::string_view sql) {
  if (connection == nullptr) return;
  if (sqlite3_prepare_v3(connection, sql.data(), static_cast<int>(sql.size()),
                         SQLITE_PREPARE_PERSISTENT, &statement_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

bool SqliteStatement::Bind(int index, int64_t value) {
  return sqlite3_bind_int64(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::Bind(int index, double value) {
  return sqlite3_bind_double(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::Bind(int index, std::string_view text) {
  // An empty view may have no data pointer, which SQLite would store as NULL.
  const char* bytes = text.empty() ? "" : text.data();
  return sqlite3_bind_text64(statement_, index, bytes, text.size(), SQLITE_TRANSIENT,
                             SQLITE_UTF8) == SQLITE_OK;
}

SqliteStatement::StepResult SqliteStatement::Step() {
  switch (sqlite3_step(statement_)) {
    case SQLITE_ROW:
      return StepResult::kRow;
    case SQLITE_DONE:
      return StepResult::kDone;
    default:
      return StepResult::kError;
  }
}

int64_t SqliteStatement::ColumnInt(int column) const {
  return sqlite3_column_int64(statement_, column);
}

double SqliteStatement::ColumnDouble(int column) const {
  return sqlite3_column_double(statement_, column);
}

std::string_view SqliteStatement::ColumnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}
