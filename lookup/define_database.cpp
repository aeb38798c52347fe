#include "lookup/define_database.h"

#include <sqlite3.h>

#include <algorithm>

#include "query/text_routines.h"

namespace quillon {

namespace {

// One prepared statement, finalized when it goes out of scope. A statement that failed to
// prepare (missing table, foreign or damaged file, no connection) is simply absent and
// yields no row.
class Statement {
 public:
  Statement(sqlite3* connection, const std::string& text) {
    if (connection != nullptr) {
      sqlite3_prepare_v2(connection, text.c_str(), -1, &statement_, nullptr);
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Steps once; true when that produced a row. Only the first row is ever used.
  bool StepToRow() {
    if (statement_ == nullptr) {
      return false;
    }
    sqlite3_step(statement_);
    return sqlite3_data_count(statement_) != 0;
  }
  std::int32_t IntColumn0() const { return sqlite3_column_int(statement_, 0); }
  // Null when the column holds NULL.
  const char* TextColumn0() const {
    return reinterpret_cast<const char*>(sqlite3_column_text(statement_, 0));
  }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

bool IsDefineNameChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// The name goes into the statement unescaped, so only names a define can have are asked for;
// anything else (a quote above all) cannot be in a table.
bool IsSafeName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), IsDefineNameChar);
}

bool IsTableName(std::string_view table) {
  return std::any_of(kErrorTypes.begin(), kErrorTypes.end(),
                     [table](ErrorType type) { return ErrorTypeName(type) == table; });
}

// Optional '-' then decimal digits, as FormatSigned makes them.
bool IsNumberText(std::string_view text) {
  if (!text.empty() && text.front() == '-') {
    text.remove_prefix(1);
  }
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string ByNameStatement(std::string_view table, std::string_view name) {
  std::string statement;
  return JoinStrings(statement, {"SELECT ", table, ".", "ErrNum", " FROM ", table, " WHERE ", table,
                                 ".", "Define", " = ", "'", name, "'"});
}

std::string ByNumberStatement(std::string_view table, std::string_view numberText) {
  std::string statement;
  return JoinStrings(statement, {"SELECT ", table, ".", "Define", " FROM ", table, " WHERE ", "(",
                                 table, ".", "ErrNum", " = ", numberText, ")"});
}

DefineDatabase::DefineDatabase(const std::string& path) {
  // Read-only: the program never writes the database, and a missing file must not be
  // created as an empty one in whatever directory the user started from.
  sqlite3* connection = nullptr;
  if (sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(connection);  // a failed open still hands back a handle to release
    return;
  }
  connection_ = connection;
  // Keep the read lock and the page cache from the first statement on. Otherwise every
  // statement locks, re-reads the file header and unlocks again, several times the cost of
  // the indexed lookup itself. Nothing of the program writes the file while it runs.
  sqlite3_exec(connection_, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr);
}

DefineDatabase::~DefineDatabase() {
  sqlite3_close(connection_);
}

std::vector<DefineMatch> DefineDatabase::SearchDefine(std::string_view name) const {
  std::vector<DefineMatch> matches;
  if (!IsSafeName(name)) {
    return matches;
  }
  for (const ErrorType type : kErrorTypes) {
    Statement statement(connection_, ByNameStatement(ErrorTypeName(type), name));
    if (statement.StepToRow()) {
      matches.push_back({type, statement.IntColumn0()});
    }
  }
  return matches;
}

std::string DefineDatabase::ShowDefineName(std::string_view table,
                                           std::string_view numberText) const {
  if (!IsTableName(table) || !IsNumberText(numberText)) {
    return std::string(kUnknownDefineText);
  }
  Statement statement(connection_, ByNumberStatement(table, numberText));
  if (!statement.StepToRow()) {
    return std::string(kUnknownDefineText);
  }
  const char* define = statement.TextColumn0();
  return define != nullptr ? std::string(define) : std::string();
}

std::string ChooseDatabasePath(bool currentDirectoryHasDatabase, std::string_view exeDirectory) {
  constexpr std::string_view kFileName = "defines.db3";
  if (currentDirectoryHasDatabase) {
    return std::string(kFileName);
  }
  std::string path(exeDirectory);
  return path.append(kFileName);
}

}  // namespace quillon
