// Owners of SQLite's connection and statement handles; both release functions accept null.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

namespace quillon {

struct SqliteConnectionCloser {
  void operator()(sqlite3* connection) const { sqlite3_close(connection); }
};
struct SqliteStatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

using SqliteConnection = std::unique_ptr<sqlite3, SqliteConnectionCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteStatementFinalizer>;

// The prepared statement, or null when it cannot be prepared (no connection, a missing table,
// a damaged file).
inline SqliteStatement PrepareStatement(sqlite3* connection, const std::string& text) {
  sqlite3_stmt* statement = nullptr;
  if (connection != nullptr) {
    sqlite3_prepare_v2(connection, text.c_str(), -1, &statement, nullptr);
  }
  return SqliteStatement(statement);
}

// A column's text up to its first NUL, or "" for NULL.
inline std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr ? std::string(text) : std::string();
}

}  // namespace quillon
