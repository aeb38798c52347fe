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
#include "lookup/define_source.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

// "SELECT T.ErrNum FROM T WHERE T.Define = ?1", T the kind's table, ?1 the name.
std::string ByNameStatement(ErrorType type);
// "SELECT T.Define FROM T WHERE (T.ErrNum = ?1)", ?1 the code as a signed 32-bit integer.
std::string ByNumberStatement(ErrorType type);

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
  // Opens path read-only; never creates a file. A missing or unreadable file gives rows that
  // find nothing.
  explicit DefineRows(const std::string& path);
  bool IsOpen() const { return connection_ != nullptr; }
  // Why the open file cannot serve as the definitions database (DefineSchemaProblem); nothing
  // when it can. Reads the schema only.
  std::optional<std::string> SchemaProblem() const;
  // True when the file is a definitions database: its tables can be asked. Reads the schema
  // only, not the rows.
  bool IsUsable() const;
  // The first SQLite error a statement met after the open (a damaged or cut file, a read
  // error, memory beyond the limit), in SQLite's words; nothing while every statement worked.
  // Once set, what the calls answered may be incomplete: a front end reports it, not them.
  const std::optional<std::string>& Failure() const { return failure_; }

  // The first row each of the two statements above yields, as the window shows it.
  std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const override;
  std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const override;

  // Every value type's table holds for name, in the table's order, each once: a few names
  // stand for two codes of one kind (the command line answers both, the window the first).
  std::vector<std::int32_t> ValuesOfName(ErrorType type, std::string_view name) const;
  // Every name type's table holds for value, in the table's order (the well-known one first).
  std::vector<NamedDefine> NamesOfValue(ErrorType type, std::uint32_t value) const;
  // Every row whose name contains part, without regard to ASCII case, ordered by kind and
  // then by value taken as unsigned.
  std::vector<DefineRow> SearchNames(std::string_view part) const;
  // Every name of every table, as the tables hold them.
  std::vector<std::string> AllNames() const;
  // Reads every table's values and names into memory once, so that asking for a value or a
  // name no table holds costs no statement: worth it for a run of very many lookups, not for
  // a few.
  void IndexValues();
  // The codes type's table holds (rows without one are no definition); nothing when the
  // table cannot be read.
  std::optional<std::int64_t> RowCount(ErrorType type) const;

  // The Win32 code the NTSTATUS value becomes on the platform; nothing when it becomes none
  // (or the database predates the mapping).
  std::optional<std::uint32_t> Win32OfStatus(std::uint32_t status) const;
  // Every NTSTATUS value that becomes the Win32 code, ordered as unsigned numbers.
  std::vector<std::uint32_t> StatusesOfWin32(std::uint32_t code) const;
  // The name a header gives facility number of kind (HRESULT or NTSTATUS); nothing when none.
  std::optional<std::string> FacilityName(ErrorType kind, std::uint32_t facility) const;

 private:
  enum Query {
    kByName,
    kByNumber,
    kAllOfName,
    kAllOfValue,
    kSearch,
    kCount,
    kNames,
    kValues,
    kQueryCount
  };
  // The prepared statement, reset and unbound; null when it cannot be prepared (a statement
  // that failed is tried again on the next call).
  sqlite3_stmt* Statement(ErrorType type, Query query) const;
  std::string StatementText(ErrorType type, Query query) const;
  enum OtherQuery { kWin32OfStatus, kStatusesOfWin32, kFacilityName, kOtherQueryCount };
  sqlite3_stmt* Statement(OtherQuery query) const;
  // False only when the values are indexed and none of type's rows has value.
  bool MayHold(ErrorType type, std::uint32_t value) const;
  // True for a row; false at the end and on an error, which Failure() then holds.
  bool Step(sqlite3_stmt* statement) const;
  void NoteFailure() const;
  // False only when the names are indexed and none of type's rows has name.
  bool MayHoldName(ErrorType type, std::string_view name) const;

  SqliteConnection connection_;
  bool hasHeaders_ = false;
  // The two tables a database made before them lacks; asked only when present.
  bool hasStatusMap_ = false;
  bool hasFacilities_ = false;
  mutable std::optional<std::string> failure_;
  mutable std::array<std::array<SqliteStatement, kQueryCount>, 4> statements_;
  mutable std::array<SqliteStatement, kOtherQueryCount> otherStatements_;
  bool indexed_ = false;
  std::array<std::vector<std::uint32_t>, 4> values_;  // sorted, once indexed
  std::array<std::vector<std::string>, 4> names_;     // in upper case, sorted, once indexed
};

// Caps the memory SQLite may take in this process, its sorts and temporary tables included
// (they are kept in memory, never in files): a statement that would need more fails with an
// error instead of filling the disk or the memory. Process-wide, as SQLite's heap is.
void LimitDatabaseMemory(std::int64_t bytes);

// The database file to open: the current directory's defines.db3 when it exists, otherwise
// the one in the executable's directory (exeDirectory ends with a path separator or is empty).
std::string ChooseDatabasePath(bool currentDirectoryHasDatabase, std::string_view exeDirectory);

}  // namespace quillon
