#include "lookup/define_rows.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/define_schema.h"
#include "lookup/define_file_check.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

// The definitions file opened read-only, never created; null when it cannot be opened.
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
  // A sort never spills into files of the temporary folder, where nothing would bound it.
  sqlite3_exec(owned.get(), "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
  return owned;
}

std::string Text(sqlite3_stmt* statement, int column) {
  // Null when the column holds NULL; the text lives until the statement is stepped again.
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr ? std::string(text) : std::string();
}

bool HasHeaderColumn(sqlite3* connection) {
  const std::string probe = "SELECT " + std::string(kHeaderColumn) + " FROM " +
                            std::string(ErrorTypeName(ErrorType::Win32)) + " LIMIT 0";
  return PrepareStatement(connection, probe) != nullptr;
}

bool HasTable(sqlite3* connection, std::string_view table) {
  return PrepareStatement(connection, "SELECT * FROM " + std::string(table) + " LIMIT 0") !=
         nullptr;
}

// A statement prepared once, reset and unbound for another use; null when it could not be
// prepared.
sqlite3_stmt* Reused(SqliteStatement& slot) {
  sqlite3_stmt* statement = slot.get();
  if (statement != nullptr) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
  return statement;
}

// A copy: the kept statement outlives the caller's text.
void BindText(sqlite3_stmt* statement, std::string_view text) {
  sqlite3_bind_text(statement, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void BindCode(sqlite3_stmt* statement, std::uint32_t value) {
  sqlite3_bind_int(statement, 1, static_cast<std::int32_t>(value));
}

}  // namespace

std::string ByNameStatement(ErrorType type) {
  const std::string_view table = ErrorTypeName(type);
  std::string statement;
  return JoinStrings(statement, {"SELECT ", table, ".", kCodeColumn, " FROM ", table, " WHERE ",
                                 table, ".", kNameColumn, " = ", "?1"});
}

std::string ByNumberStatement(ErrorType type) {
  const std::string_view table = ErrorTypeName(type);
  std::string statement;
  return JoinStrings(statement, {"SELECT ", table, ".", kNameColumn, " FROM ", table, " WHERE ",
                                 "(", table, ".", kCodeColumn, " = ", "?1", ")"});
}

DefineRows::DefineRows(const std::string& path) : connection_(OpenDefinesReadOnly(path)) {
  // A database made before rows named their header still answers, with no headers.
  hasHeaders_ = HasHeaderColumn(connection_.get());
  hasStatusMap_ = HasTable(connection_.get(), kStatusMapTable);
  hasFacilities_ = HasTable(connection_.get(), kFacilityTable);
}

void DefineRows::NoteFailure() const {
  if (!failure_ && connection_ != nullptr) {
    failure_ = sqlite3_errmsg(connection_.get());
  }
}

bool DefineRows::Step(sqlite3_stmt* statement) const {
  const int stepped = sqlite3_step(statement);
  if (stepped != SQLITE_ROW && stepped != SQLITE_DONE) {
    NoteFailure();
  }
  return stepped == SQLITE_ROW;
}

std::string DefineRows::StatementText(ErrorType type, Query query) const {
  const std::string table(ErrorTypeName(type));
  const std::string code(kCodeColumn);
  const std::string name(kNameColumn);
  const std::string header = hasHeaders_ ? std::string(kHeaderColumn) : "''";
  switch (query) {
    case kByName:
      return ByNameStatement(type);
    case kByNumber:
      return ByNumberStatement(type);
    case kAllOfName:
      return "SELECT " + code + " FROM " + table + " WHERE " + name + " = ?1 ORDER BY rowid";
    case kAllOfValue:
      return "SELECT " + name + ", " + header + " FROM " + table + " WHERE " + code +
             " = ?1 ORDER BY rowid";
    case kSearch:
      return "SELECT " + code + ", " + name + ", " + header + " FROM " + table +
             " WHERE instr(upper(" + name + "), upper(?1)) > 0 ORDER BY (" + code +
             " & 4294967295), rowid";
    case kCount:
      // Rows with a code, as the About window has always counted them: a row without one
      // can never be found.
      return "SELECT count(" + code + ") FROM " + table;
    case kNames:
      return "SELECT " + name + " FROM " + table;
    case kValues:
      return "SELECT " + code + " FROM " + table;
    case kQueryCount:
      break;
  }
  return {};
}

sqlite3_stmt* DefineRows::Statement(ErrorType type, Query query) const {
  SqliteStatement& slot = statements_[static_cast<std::size_t>(type)][query];
  if (slot == nullptr) {
    slot = PrepareStatement(connection_.get(), StatementText(type, query));
    if (slot == nullptr) {
      NoteFailure();
    }
  }
  return Reused(slot);
}

sqlite3_stmt* DefineRows::Statement(OtherQuery query) const {
  SqliteStatement& slot = otherStatements_[query];
  if (slot != nullptr) {
    return Reused(slot);
  }
  if (!(query == kFacilityName ? hasFacilities_ : hasStatusMap_)) {
    return nullptr;
  }
  const std::string map(kStatusMapTable);
  const std::string status(kStatusMapStatusColumn);
  const std::string win32(kStatusMapWin32Column);
  std::string text;
  switch (query) {
    case kWin32OfStatus:
      text = "SELECT " + win32 + " FROM " + map + " WHERE " + status + " = ?1";
      break;
    case kStatusesOfWin32:
      text = "SELECT " + status + " FROM " + map + " WHERE " + win32 + " = ?1 ORDER BY (" + status +
             " & 4294967295)";
      break;
    case kFacilityName:
      text = "SELECT " + std::string(kFacilityNameColumn) + " FROM " + std::string(kFacilityTable) +
             " WHERE " + std::string(kFacilityKindColumn) + " = ?1 AND " +
             std::string(kFacilityNumberColumn) + " = ?2 ORDER BY rowid LIMIT 1";
      break;
    case kOtherQueryCount:
      return nullptr;
  }
  slot = PrepareStatement(connection_.get(), text);
  if (slot == nullptr) {
    NoteFailure();
  }
  return Reused(slot);
}

std::optional<std::uint32_t> DefineRows::Win32OfStatus(std::uint32_t status) const {
  sqlite3_stmt* statement = Statement(kWin32OfStatus);
  if (statement == nullptr) {
    return std::nullopt;
  }
  sqlite3_bind_int(statement, 1, static_cast<std::int32_t>(status));
  if (!Step(statement)) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(sqlite3_column_int(statement, 0));
}

std::vector<std::uint32_t> DefineRows::StatusesOfWin32(std::uint32_t code) const {
  std::vector<std::uint32_t> statuses;
  sqlite3_stmt* statement = Statement(kStatusesOfWin32);
  if (statement == nullptr) {
    return statuses;
  }
  sqlite3_bind_int(statement, 1, static_cast<std::int32_t>(code));
  while (Step(statement)) {
    statuses.push_back(static_cast<std::uint32_t>(sqlite3_column_int(statement, 0)));
  }
  return statuses;
}

std::optional<std::string> DefineRows::FacilityName(ErrorType kind, std::uint32_t facility) const {
  sqlite3_stmt* statement = Statement(kFacilityName);
  if (statement == nullptr) {
    return std::nullopt;
  }
  const std::string_view kindName = ErrorTypeName(kind);
  sqlite3_bind_text(statement, 1, kindName.data(), static_cast<int>(kindName.size()),
                    SQLITE_STATIC);
  sqlite3_bind_int64(statement, 2, facility);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return Text(statement, 0);
}

std::optional<std::string> DefineRows::SchemaProblem() const {
  return DefineSchemaProblem(connection_.get());
}

bool DefineRows::IsUsable() const {
  return std::all_of(kErrorTypes.begin(), kErrorTypes.end(),
                     [this](ErrorType type) { return Statement(type, kByName) != nullptr; });
}

bool DefineRows::MayHoldName(ErrorType type, std::string_view name) const {
  if (!indexed_) {
    return true;
  }
  // Names compare without regard to case, as the column's collation does.
  std::string upper(name);
  ToUpperAscii(upper);
  const std::vector<std::string>& names = names_[static_cast<std::size_t>(type)];
  return std::binary_search(names.begin(), names.end(), upper);
}

std::optional<std::int32_t> DefineRows::ValueOfName(ErrorType type, std::string_view name) const {
  sqlite3_stmt* statement = MayHoldName(type, name) ? Statement(type, kByName) : nullptr;
  if (statement == nullptr) {
    return std::nullopt;
  }
  BindText(statement, name);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return sqlite3_column_int(statement, 0);
}

void DefineRows::IndexValues() {
  for (const ErrorType type : kErrorTypes) {
    std::vector<std::uint32_t>& values = values_[static_cast<std::size_t>(type)];
    values.clear();
    sqlite3_stmt* statement = Statement(type, kValues);
    while (statement != nullptr && Step(statement)) {
      values.push_back(static_cast<std::uint32_t>(sqlite3_column_int(statement, 0)));
    }
    std::sort(values.begin(), values.end());
    std::vector<std::string>& names = names_[static_cast<std::size_t>(type)];
    names.clear();
    statement = Statement(type, kNames);
    while (statement != nullptr && Step(statement)) {
      names.push_back(Text(statement, 0));
      ToUpperAscii(names.back());
    }
    std::sort(names.begin(), names.end());
  }
  indexed_ = true;
}

bool DefineRows::MayHold(ErrorType type, std::uint32_t value) const {
  const std::vector<std::uint32_t>& values = values_[static_cast<std::size_t>(type)];
  return !indexed_ || std::binary_search(values.begin(), values.end(), value);
}

std::optional<std::string> DefineRows::NameOfValue(ErrorType type, std::uint32_t value) const {
  sqlite3_stmt* statement = MayHold(type, value) ? Statement(type, kByNumber) : nullptr;
  if (statement == nullptr) {
    return std::nullopt;
  }
  BindCode(statement, value);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return Text(statement, 0);
}

std::vector<std::int32_t> DefineRows::ValuesOfName(ErrorType type, std::string_view name) const {
  std::vector<std::int32_t> values;
  sqlite3_stmt* statement = MayHoldName(type, name) ? Statement(type, kAllOfName) : nullptr;
  if (statement == nullptr) {
    return values;
  }
  BindText(statement, name);
  while (Step(statement)) {
    const std::int32_t value = sqlite3_column_int(statement, 0);
    // A name held twice with one value (two headers) is one answer.
    if (std::find(values.begin(), values.end(), value) == values.end()) {
      values.push_back(value);
    }
  }
  return values;
}

std::vector<NamedDefine> DefineRows::NamesOfValue(ErrorType type, std::uint32_t value) const {
  std::vector<NamedDefine> names;
  sqlite3_stmt* statement = MayHold(type, value) ? Statement(type, kAllOfValue) : nullptr;
  if (statement == nullptr) {
    return names;
  }
  BindCode(statement, value);
  while (Step(statement)) {
    names.push_back({Text(statement, 0), Text(statement, 1)});
  }
  return names;
}

std::vector<DefineRow> DefineRows::SearchNames(std::string_view part) const {
  std::vector<DefineRow> rows;
  for (const ErrorType type : kErrorTypes) {
    sqlite3_stmt* statement = Statement(type, kSearch);
    if (statement == nullptr) {
      continue;
    }
    BindText(statement, part);
    while (Step(statement)) {
      rows.push_back({type,
                      static_cast<std::uint32_t>(sqlite3_column_int(statement, 0)),
                      {Text(statement, 1), Text(statement, 2)}});
    }
  }
  return rows;
}

std::vector<std::string> DefineRows::AllNames() const {
  std::vector<std::string> names;
  for (const ErrorType type : kErrorTypes) {
    sqlite3_stmt* statement = Statement(type, kNames);
    while (statement != nullptr && Step(statement)) {
      names.push_back(Text(statement, 0));
    }
  }
  return names;
}

std::optional<std::int64_t> DefineRows::RowCount(ErrorType type) const {
  sqlite3_stmt* statement = Statement(type, kCount);
  if (statement == nullptr || !Step(statement)) {
    return std::nullopt;
  }
  return sqlite3_column_int64(statement, 0);
}

void LimitDatabaseMemory(std::int64_t bytes) {
  sqlite3_hard_heap_limit64(bytes);
}

std::string ChooseDatabasePath(bool currentDirectoryHasDatabase, std::string_view exeDirectory) {
  if (currentDirectoryHasDatabase) {
    return std::string(kDefinesFileName);
  }
  std::string path(exeDirectory);
  return path.append(kDefinesFileName);
}

}  // namespace quillon
