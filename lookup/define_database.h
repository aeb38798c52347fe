// The read-only definitions database: define name <-> code per kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/error_type.h"
#include "lookup/define_source.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

// "SELECT T.ErrNum FROM T WHERE T.Define = 'NAME'", T the kind's table.
std::string ByNameStatement(ErrorType type, std::string_view name);
// "SELECT T.Define FROM T WHERE (T.ErrNum = N)", N the value as signed decimal.
std::string ByNumberStatement(ErrorType type, std::uint32_t value);

class DefineDatabase final : public DefineSource {
 public:
  // Opens path read-only; never creates a file. A missing or unreadable file gives a database
  // that finds nothing.
  explicit DefineDatabase(const std::string& path);

  // Only names a define can have are asked for; anything else finds nothing.
  std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const override;
  std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const override;
  // The rows of type's table; nothing when the table cannot be read.
  std::optional<std::int64_t> RowCount(ErrorType type) const;

 private:
  SqliteConnection connection_;
};

// The definitions file opened read-only, never created; null when it cannot be opened.
SqliteConnection OpenDefinesReadOnly(const std::string& path);

// The database file to open: the current directory's defines.db3 when it exists, otherwise
// the one in the executable's directory (exeDirectory ends with a path separator or is empty).
std::string ChooseDatabasePath(bool currentDirectoryHasDatabase, std::string_view exeDirectory);

}  // namespace quillon
