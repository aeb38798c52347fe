#include "lookup/define_database.h"

#include <sqlite3.h>

#include <algorithm>

#include "lookup/define_schema.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

// Steps a statement once; true when that produced a row. Only the first row is ever used. A
// statement that failed to prepare is null and yields no row.
bool StepToRow(sqlite3_stmt* statement) {
  if (statement == nullptr) {
    return false;
  }
  sqlite3_step(statement);
  return sqlite3_data_count(statement) != 0;
}

bool IsDefineNameChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// The name goes into the statement unescaped, so only names a define can have are asked for;
// anything else (a quote above all) cannot be in a table.
bool IsSafeName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), IsDefineNameChar);
}

}  // namespace

std::string ByNameStatement(ErrorType type, std::string_view name) {
  const std::string_view table = ErrorTypeName(type);
  std::string statement;
  return JoinStrings(statement, {"SELECT ", table, ".", kCodeColumn, " FROM ", table, " WHERE ",
                                 table, ".", kNameColumn, " = ", "'", name, "'"});
}

std::string ByNumberStatement(ErrorType type, std::uint32_t value) {
  const std::string_view table = ErrorTypeName(type);
  std::string statement;
  return JoinStrings(statement, {"SELECT ", table, ".", kNameColumn, " FROM ", table, " WHERE ",
                                 "(", table, ".", kCodeColumn, " = ", FormatSigned(value), ")"});
}

SqliteConnection OpenDefinesReadOnly(const std::string& path) {
  // Read-only: the program never writes the database, and a missing file must not be
  // created as an empty one in whatever directory the user started from. An empty name
  // would open a private temporary database.
  if (path.empty()) {
    return nullptr;
  }
  sqlite3* connection = nullptr;
  // A "file:" URI lets a caller open a database in WAL mode as immutable.
  const int opened =
      sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  SqliteConnection owned(connection);  // a failed open still hands back a handle to release
  if (opened != SQLITE_OK) {
    return nullptr;
  }
  // Keep the read lock and the page cache from the first statement on. Otherwise every
  // statement locks, re-reads the file header and unlocks again, several times the cost of
  // the indexed lookup itself. Nothing of the program writes the file while it runs.
  sqlite3_exec(owned.get(), "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr);
  return owned;
}

DefineDatabase::DefineDatabase(const std::string& path) : connection_(OpenDefinesReadOnly(path)) {}

std::optional<std::int32_t> DefineDatabase::ValueOfName(ErrorType type,
                                                        std::string_view name) const {
  if (!IsSafeName(name)) {
    return std::nullopt;
  }
  const SqliteStatement statement =
      PrepareStatement(connection_.get(), ByNameStatement(type, name));
  if (!StepToRow(statement.get())) {
    return std::nullopt;
  }
  return sqlite3_column_int(statement.get(), 0);
}

std::optional<std::string> DefineDatabase::NameOfValue(ErrorType type, std::uint32_t value) const {
  const SqliteStatement statement =
      PrepareStatement(connection_.get(), ByNumberStatement(type, value));
  if (!StepToRow(statement.get())) {
    return std::nullopt;
  }
  // Null when the column holds NULL; the text lives until the statement is finalized.
  const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
  return name != nullptr ? std::string(name) : std::string();
}

std::optional<std::int64_t> DefineDatabase::RowCount(ErrorType type) const {
  const SqliteStatement statement = PrepareStatement(
      connection_.get(),
      // Counting the code column: another program's table of the same name is no count of ours.
      "SELECT count(" + std::string(kCodeColumn) + ") FROM " + std::string(ErrorTypeName(type)));
  if (statement == nullptr || sqlite3_step(statement.get()) != SQLITE_ROW) {
    return std::nullopt;
  }
  return sqlite3_column_int64(statement.get(), 0);
}

std::string ChooseDatabasePath(bool currentDirectoryHasDatabase, std::string_view exeDirectory) {
  if (currentDirectoryHasDatabase) {
    return std::string(kDefinesFileName);
  }
  std::string path(exeDirectory);
  return path.append(kDefinesFileName);
}

}  // namespace quillon
