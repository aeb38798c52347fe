// Every row of the definitions database, for a front end that shows all names of a code, the
// header each comes from, and searches names by part. The statements are prepared once and
// reused, so that many lookups in one run stay cheap.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"
#include "lookup/define_source.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

struct NamedDefine {
  std::string name;
  std::string header;  // empty when the database does not record it

  bool operator==(const NamedDefine&) const = default;
};

struct DefineRow {
  ErrorType type;
  std::uint32_t value;
  NamedDefine define;

  bool operator==(const DefineRow&) const = default;
};

class DefineRows final : public DefineSource {
 public:
  // Opens path read-only; a missing or unreadable file gives rows that find nothing.
  explicit DefineRows(const std::string& path);
  bool IsOpen() const { return connection_ != nullptr; }
  // True when the file is a definitions database: its tables can be asked. Reads the schema
  // only, not the rows.
  bool IsUsable() const;

  std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const override;
  std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const override;

  // Every name type's table holds for value, in the table's order (the well-known one first).
  std::vector<NamedDefine> NamesOfValue(ErrorType type, std::uint32_t value) const;
  // Every row whose name contains part, without regard to ASCII case, ordered by kind and
  // then by value taken as unsigned.
  std::vector<DefineRow> SearchNames(std::string_view part) const;
  // Every name of every table, as the tables hold them.
  std::vector<std::string> AllNames() const;
  // Reads every table's values into memory once, so that asking for a value no table holds
  // costs no statement: worth it for a run of very many lookups, not for a few.
  void IndexValues();
  // The number of rows of type's table; nothing when it cannot be read.
  std::optional<std::int64_t> RowCount(ErrorType type) const;

 private:
  enum Query { kByName, kByValue, kSearch, kCount, kNames, kValues, kQueryCount };
  // The prepared statement, reset and unbound; null when it cannot be prepared.
  sqlite3_stmt* Statement(ErrorType type, Query query) const;
  // False only when the values are indexed and none of type's rows has value.
  bool MayHold(ErrorType type, std::uint32_t value) const;

  SqliteConnection connection_;
  bool hasHeaders_ = false;
  mutable std::array<std::array<SqliteStatement, kQueryCount>, 4> statements_;
  bool indexed_ = false;
  std::array<std::vector<std::uint32_t>, 4> values_;  // sorted, once indexed
};

}  // namespace quillon
