// The one read-only connection to the definitions database that every reader of its tables
// shares (the kinds' tables and the documentation's), and the first failure any of their
// statements met: the schema is read once, and a damaged table of either ends a run alike.
#pragma once

#include <optional>
#include <string>

#include "lookup/sqlite_handles.h"

namespace quillon {

class DatabaseConnection {
 public:
  // A null connection gives statements that are never prepared.
  explicit DatabaseConnection(SqliteConnection connection) : connection_(std::move(connection)) {}

  sqlite3* Get() const { return connection_.get(); }
  // The first SQLite error a statement met, in SQLite's words.
  const std::optional<std::string>& Failure() const { return failure_; }
  // Keeps the connection's last error as the failure, unless one is kept already.
  void NoteFailure() const;
  // True for a row; false at the end and on an error, which Failure() then holds.
  bool Step(sqlite3_stmt* statement) const;

 private:
  SqliteConnection connection_;
  mutable std::optional<std::string> failure_;
};

}  // namespace quillon
