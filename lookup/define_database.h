// The read-only definitions database: define name <-> code per kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/error_type.h"

struct sqlite3;

namespace quillon {

// What the define/code box shows for a code that no row names.
inline constexpr std::string_view kUnknownDefineText = "*** Unknown ***";

// "SELECT T.ErrNum FROM T WHERE T.Define = 'NAME'"
std::string ByNameStatement(std::string_view table, std::string_view name);
// "SELECT T.Define FROM T WHERE (T.ErrNum = N)"
std::string ByNumberStatement(std::string_view table, std::string_view numberText);

struct DefineMatch {
  ErrorType type;
  std::int32_t code;  // as the table holds it, unreduced

  bool operator==(const DefineMatch&) const = default;
};

class DefineDatabase {
 public:
  // Opens path read-only; never creates a file. A missing or unreadable file gives a database
  // that finds nothing.
  explicit DefineDatabase(const std::string& path);
  ~DefineDatabase();
  DefineDatabase(const DefineDatabase&) = delete;
  DefineDatabase& operator=(const DefineDatabase&) = delete;

  // For each table in ErrorType order that holds name (upper case, validated): its first code.
  std::vector<DefineMatch> SearchDefine(std::string_view name) const;
  // The text to show for numberText in table: the define name, "" for a NULL name, or
  // "*** Unknown ***" when the table has no row (or the database cannot answer).
  std::string ShowDefineName(std::string_view table, std::string_view numberText) const;

 private:
  sqlite3* connection_ = nullptr;
};

// The database file to open: the current directory's defines.db3 when it exists, otherwise
// the one in the executable's directory (exeDirectory ends with a path separator or is empty).
std::string ChooseDatabasePath(bool currentDirectoryHasDatabase, std::string_view exeDirectory);

}  // namespace quillon
