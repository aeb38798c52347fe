#include "lookup/define_rows.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "base/define_schema.h"
#include "base/name_hash.h"
#include "lookup/define_file_check.h"
#include "lookup/le_bytes.h"

namespace quillon {

namespace {

// A column's text without a copy: valid until the statement is stepped again.
std::string_view TextView(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr
             ? std::string_view(text,
                                static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
             : std::string_view();
}

std::uint32_t Code(sqlite3_stmt* statement, int column) {
  return static_cast<std::uint32_t>(sqlite3_column_int(statement, column));
}

// Whether table has columns ("*": whether it is there), asked by a statement that is prepared,
// never run.
bool HasColumns(sqlite3* connection, std::string_view table, const std::string& columns) {
  return PrepareStatement(connection, "SELECT " + columns + " FROM " + std::string(table) +
                                          " LIMIT 0") != nullptr;
}

// A database made before rows named their header still answers, with no headers.
DefineLayout ProbeLayout(sqlite3* connection) {
  return {HasColumns(connection, ErrorTypeName(ErrorType::Win32), std::string(kHeaderColumn)),
          HasColumns(connection, kStatusMapTable, "*"), HasColumns(connection, kFacilityTable, "*"),
          HasColumns(connection, kNameHashTable, std::string(kNameHashColumn)),
          HasColumns(connection, kKindValuesTable,
                     std::string(kKindValuesKindColumn) + ", " + std::string(kKindValuesColumn))};
}

// A blob column's 4-byte little-endian values; a part of one at the end is left out.
std::vector<std::uint32_t> LittleEndianWords(sqlite3_stmt* statement, int column) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
  const std::string_view blob(
      bytes,
      bytes != nullptr ? static_cast<std::size_t>(sqlite3_column_bytes(statement, column)) : 0);
  std::vector<std::uint32_t> words(blob.size() / 4);
  for (std::size_t i = 0; i < words.size(); ++i) {
    words[i] = *ReadLittleEndian<std::uint32_t>(blob, 4 * i);
  }
  return words;
}

// A copy: the kept statement outlives the caller's text.
void BindText(sqlite3_stmt* statement, int index, std::string_view text) {
  sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void BindCode(sqlite3_stmt* statement, std::uint32_t value) {
  sqlite3_bind_int(statement, 1, static_cast<std::int32_t>(value));
}

}  // namespace

DefineRows::DefineRows(SqliteConnection connection)
    : database_(std::move(connection)), layout_(ProbeLayout(database_.Get())) {}

DefineRows::DefineRows(SqliteConnection connection, const DefineLayout& layout)
    : database_(std::move(connection)), layout_(layout) {}

sqlite3_stmt* DefineRows::Statement(DefineStatement statement, ErrorType type) const {
  const bool ofKind = ReadsKindTable(statement);
  SqliteStatement& slot =
      statements_[static_cast<std::size_t>(statement)][ofKind ? static_cast<std::size_t>(type) : 0];
  if (slot == nullptr) {
    const bool present =
        ofKind ||
        (statement == DefineStatement::FacilityName ? layout_.hasFacilities : layout_.hasStatusMap);
    if (!present) {
      return nullptr;
    }
    slot =
        PrepareStatement(database_.Get(), DefineStatementText(statement, type, layout_.hasHeaders));
    if (slot == nullptr) {
      database_.NoteFailure();
      return nullptr;
    }
  }
  sqlite3_reset(slot.get());
  sqlite3_clear_bindings(slot.get());
  return slot.get();
}

bool DefineRows::MayHoldValue(ErrorType type, std::uint32_t value) const {
  return !index_ || index_->HoldsValue(type, value);
}

bool DefineRows::MayHoldName(ErrorType type, std::string_view name) const {
  return !index_ || index_->HoldsName(type, name);
}

std::optional<std::int32_t> DefineRows::ValueOfName(ErrorType type, std::string_view name) const {
  sqlite3_stmt* statement =
      MayHoldName(type, name) ? Statement(DefineStatement::ByName, type) : nullptr;
  if (statement == nullptr) {
    return std::nullopt;
  }
  BindText(statement, 1, name);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return sqlite3_column_int(statement, 0);
}

std::optional<std::string> DefineRows::NameOfValue(ErrorType type, std::uint32_t value) const {
  sqlite3_stmt* statement =
      MayHoldValue(type, value) ? Statement(DefineStatement::ByNumber, type) : nullptr;
  if (statement == nullptr) {
    return std::nullopt;
  }
  BindCode(statement, value);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return ColumnText(statement, 0);
}

std::vector<std::int32_t> DefineRows::ValuesOfName(ErrorType type, std::string_view name) const {
  std::vector<std::int32_t> values;
  sqlite3_stmt* statement =
      MayHoldName(type, name) ? Statement(DefineStatement::AllOfName, type) : nullptr;
  if (statement == nullptr) {
    return values;
  }
  BindText(statement, 1, name);
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
  sqlite3_stmt* statement =
      MayHoldValue(type, value) ? Statement(DefineStatement::AllOfValue, type) : nullptr;
  if (statement == nullptr) {
    return names;
  }
  BindCode(statement, value);
  while (Step(statement)) {
    names.push_back({ColumnText(statement, 0), ColumnText(statement, 1)});
  }
  return names;
}

std::optional<std::uint32_t> DefineRows::Win32OfStatus(std::uint32_t status) const {
  sqlite3_stmt* statement = Statement(DefineStatement::Win32OfStatus);
  if (statement == nullptr) {
    return std::nullopt;
  }
  BindCode(statement, status);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return Code(statement, 0);
}

std::vector<std::uint32_t> DefineRows::StatusesOfWin32(std::uint32_t code) const {
  std::vector<std::uint32_t> statuses;
  sqlite3_stmt* statement = Statement(DefineStatement::StatusesOfWin32);
  if (statement == nullptr) {
    return statuses;
  }
  BindCode(statement, code);
  while (Step(statement)) {
    statuses.push_back(Code(statement, 0));
  }
  return statuses;
}

std::optional<std::string> DefineRows::FacilityName(ErrorType kind, std::uint32_t facility) const {
  sqlite3_stmt* statement = Statement(DefineStatement::FacilityName);
  if (statement == nullptr) {
    return std::nullopt;
  }
  BindText(statement, 1, ErrorTypeName(kind));
  sqlite3_bind_int64(statement, 2, facility);
  if (!Step(statement)) {
    return std::nullopt;
  }
  return ColumnText(statement, 0);
}

std::vector<DefineRow> DefineRows::SearchNames(std::string_view part) const {
  std::vector<DefineRow> rows;
  for (const ErrorType type : kErrorTypes) {
    sqlite3_stmt* statement = Statement(DefineStatement::Search, type);
    if (statement == nullptr) {
      continue;
    }
    BindText(statement, 1, part);
    while (Step(statement)) {
      rows.push_back(
          {type, Code(statement, 0), {ColumnText(statement, 1), ColumnText(statement, 2)}});
    }
  }
  return rows;
}

void DefineRows::IndexValues(IndexedNames indexed) {
  const bool withNames = indexed == IndexedNames::Kept;
  PerKind<std::vector<std::uint32_t>> values;
  PerKind<bool> stored{};
  if (!withNames && layout_.hasKindValues) {
    const SqliteStatement statement =
        PrepareStatement(database_.Get(), "SELECT " + std::string(kKindValuesKindColumn) + ", " +
                                              std::string(kKindValuesColumn) + " FROM " +
                                              std::string(kKindValuesTable));
    if (statement == nullptr) {
      database_.NoteFailure();
    }
    while (statement != nullptr && Step(statement.get())) {
      for (const ErrorType type : kErrorTypes) {
        const auto slot = static_cast<std::size_t>(type);
        if (!stored[slot] && TextView(statement.get(), 0) == ErrorTypeName(type)) {
          values[slot] = LittleEndianWords(statement.get(), 1);
          stored[slot] = true;
        }
      }
    }
  }
  std::optional<PerKind<WordSet>> names;
  if (withNames) {
    names.emplace();
  }
  for (const ErrorType type : kErrorTypes) {
    const auto slot = static_cast<std::size_t>(type);
    if (stored[slot]) {
      continue;
    }
    if (withNames) {
      (*names)[slot] = WordSet(WordCase::IgnoreAscii);
    }
    sqlite3_stmt* statement =
        Statement(withNames ? DefineStatement::Rows : DefineStatement::Values, type);
    while (statement != nullptr && Step(statement)) {
      values[slot].push_back(Code(statement, 0));
      if (withNames) {
        (*names)[slot].Add(TextView(statement, 1));
      }
    }
  }
  index_.emplace(std::move(values), std::move(names));
}

std::vector<std::uint32_t> DefineRows::NameHashes() const {
  std::vector<std::uint32_t> hashes;
  if (layout_.hasNameHashes) {
    const SqliteStatement statement =
        PrepareStatement(database_.Get(), "SELECT " + std::string(kNameHashColumn) + " FROM " +
                                              std::string(kNameHashTable) + " LIMIT 1");
    if (statement == nullptr) {
      database_.NoteFailure();
    } else if (Step(statement.get())) {
      hashes = LittleEndianWords(statement.get(), 0);
    }
    return hashes;
  }
  for (const ErrorType type : kErrorTypes) {
    sqlite3_stmt* statement = Statement(DefineStatement::Rows, type);
    while (statement != nullptr && Step(statement)) {
      hashes.push_back(NameHash(TextView(statement, 1)));
    }
  }
  return hashes;
}

std::optional<std::int64_t> DefineRows::RowCount(ErrorType type) const {
  sqlite3_stmt* statement = Statement(DefineStatement::Count, type);
  if (statement == nullptr || !Step(statement)) {
    return std::nullopt;
  }
  return sqlite3_column_int64(statement, 0);
}

void LimitDatabaseMemory(std::int64_t bytes) {
  sqlite3_hard_heap_limit64(bytes);
}

}  // namespace quillon
