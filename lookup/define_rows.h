// The read-only definitions database, for both front ends: the window's lookups of a name or
// a code, and the command line's every name of a code with its header, search by part and
// counts. Each statement is prepared once and kept; names and codes are bound, never pasted.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"
#include "lookup/database_connection.h"
#include "lookup/define_file_check.h"
#include "lookup/define_index.h"
#include "lookup/define_source.h"
#include "lookup/define_statements.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

struct DefineRow {
  ErrorType type;
  std::uint32_t value;
  NamedDefine define;

  bool operator==(const DefineRow&) const = default;
};

class DefineRows final : public DefineSource {
 public:
  // Reads through connection (OpenDefines opens it); a null one gives rows that find nothing.
  // What the database holds beside the kinds' codes and names is asked of it.
  explicit DefineRows(SqliteConnection connection);
  // The same, for a database whose layout is known (CheckDefineSchema).
  DefineRows(SqliteConnection connection, const DefineLayout& layout);
  bool IsOpen() const { return database_.Get() != nullptr; }
  // The first SQLite error a statement met after the open, in SQLite's words: the kinds'
  // tables' statements and those of every reader that shares the connection.
  std::optional<std::string> Failure() const override { return database_.Failure(); }
  // The connection, for the documentation's reader to share.
  const DatabaseConnection& Connection() const { return database_; }

  // The first row each of the window's two statements yields, as the window shows it.
  std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const override;
  std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const override;

  std::vector<std::int32_t> ValuesOfName(ErrorType type, std::string_view name) const override;
  std::vector<NamedDefine> NamesOfValue(ErrorType type, std::uint32_t value) const override;
  std::optional<std::uint32_t> Win32OfStatus(std::uint32_t status) const override;
  std::vector<std::uint32_t> StatusesOfWin32(std::uint32_t code) const override;
  std::optional<std::string> FacilityName(ErrorType kind, std::uint32_t facility) const override;

  // Every row whose name contains part, without regard to ASCII case, ordered by kind and
  // then by value taken as unsigned.
  std::vector<DefineRow> SearchNames(std::string_view part) const;
  // Reads every table's values and, unless they are left, its names into memory once
  // (DefineIndex), so that asking for a value or a name no table holds costs no statement. A
  // scan leaves the names: it asks only those whose hashes are held (NameHashes), and reading
  // every name would cost it more than the statements saved.
  enum class IndexedNames { Kept, Left };
  void IndexValues(IndexedNames names = IndexedNames::Kept);
  // The index IndexValues made; null before.
  const DefineIndex* Index() const { return index_ ? &*index_ : nullptr; }
  // NameHash of every name the kinds' tables hold, in any order, repeats allowed: the hashes
  // the database stores, or its names' when it has none (one made before them).
  std::vector<std::uint32_t> NameHashes() const;
  // The codes type's table holds (rows without one are no definition); nothing when the
  // table cannot be read.
  std::optional<std::int64_t> RowCount(ErrorType type) const;

 private:
  // The prepared statement, reset and unbound; null when it cannot be prepared (a statement
  // that failed is tried again on the next call) or reads a table the database lacks.
  sqlite3_stmt* Statement(DefineStatement statement, ErrorType type = ErrorType::Win32) const;
  bool Step(sqlite3_stmt* statement) const { return database_.Step(statement); }
  // False only when the rows are indexed and none of type's rows has the value or the name.
  bool MayHoldValue(ErrorType type, std::uint32_t value) const;
  bool MayHoldName(ErrorType type, std::string_view name) const;

  DatabaseConnection database_;
  // The two tables a database made before them lacks are asked only when present.
  DefineLayout layout_;
  // One slot per kind for a kind's statement; the first for the others.
  mutable std::array<std::array<SqliteStatement, kErrorTypes.size()>, kDefineStatementCount>
      statements_;
  std::optional<DefineIndex> index_;
};

// Caps the memory SQLite may take in this process, its sorts and temporary tables included
// (they are kept in memory, never in files): a statement that would need more fails with an
// error instead of filling the disk or the memory. Process-wide, as SQLite's heap is.
void LimitDatabaseMemory(std::int64_t bytes);

}  // namespace quillon
