#include "lookup/define_rows.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/define_schema.h"
#include "lookup/define_database.h"

namespace quillon {

namespace {

std::string Text(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr ? std::string(text) : std::string();
}

bool HasHeaderColumn(sqlite3* connection) {
  const std::string probe = "SELECT " + std::string(kHeaderColumn) + " FROM " +
                            std::string(ErrorTypeName(ErrorType::Win32)) + " LIMIT 0";
  return PrepareStatement(connection, probe) != nullptr;
}

}  // namespace

DefineRows::DefineRows(const std::string& path) : connection_(OpenDefinesReadOnly(path)) {
  // A database made before rows named their header still answers, with no headers.
  hasHeaders_ = HasHeaderColumn(connection_.get());
}

sqlite3_stmt* DefineRows::Statement(ErrorType type, Query query) const {
  SqliteStatement& slot = statements_[static_cast<std::size_t>(type)][query];
  if (slot == nullptr) {
    const std::string table(ErrorTypeName(type));
    const std::string code(kCodeColumn);
    const std::string name(kNameColumn);
    const std::string header = hasHeaders_ ? std::string(kHeaderColumn) : "''";
    std::string text;
    switch (query) {
      case kByName:
        text = "SELECT " + code + " FROM " + table + " WHERE " + name + " = ?1";
        break;
      case kByValue:
        // The table's order, as the window's by-number lookup yields it.
        text = "SELECT " + name + ", " + header + " FROM " + table + " WHERE " + code +
               " = ?1 ORDER BY rowid";
        break;
      case kSearch:
        text = "SELECT " + code + ", " + name + ", " + header + " FROM " + table +
               " WHERE instr(upper(" + name + "), upper(?1)) > 0 ORDER BY (" + code +
               " & 4294967295), rowid";
        break;
      case kCount:
        text = "SELECT count(*) FROM " + table;
        break;
      case kNames:
        text = "SELECT " + name + " FROM " + table;
        break;
      case kValues:
        text = "SELECT " + code + " FROM " + table;
        break;
      case kQueryCount:
        return nullptr;
    }
    slot = PrepareStatement(connection_.get(), text);
  }
  sqlite3_stmt* statement = slot.get();
  if (statement != nullptr) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
  return statement;
}

bool DefineRows::IsUsable() const {
  return std::all_of(kErrorTypes.begin(), kErrorTypes.end(),
                     [this](ErrorType type) { return Statement(type, kByName) != nullptr; });
}

std::optional<std::int32_t> DefineRows::ValueOfName(ErrorType type, std::string_view name) const {
  sqlite3_stmt* statement = Statement(type, kByName);
  if (statement == nullptr) {
    return std::nullopt;
  }
  sqlite3_bind_text(statement, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(statement) != SQLITE_ROW) {
    return std::nullopt;
  }
  return sqlite3_column_int(statement, 0);
}

void DefineRows::IndexValues() {
  for (const ErrorType type : kErrorTypes) {
    std::vector<std::uint32_t>& values = values_[static_cast<std::size_t>(type)];
    values.clear();
    sqlite3_stmt* statement = Statement(type, kValues);
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      values.push_back(static_cast<std::uint32_t>(sqlite3_column_int(statement, 0)));
    }
    std::sort(values.begin(), values.end());
  }
  indexed_ = true;
}

bool DefineRows::MayHold(ErrorType type, std::uint32_t value) const {
  const std::vector<std::uint32_t>& values = values_[static_cast<std::size_t>(type)];
  return !indexed_ || std::binary_search(values.begin(), values.end(), value);
}

std::optional<std::string> DefineRows::NameOfValue(ErrorType type, std::uint32_t value) const {
  if (!MayHold(type, value)) {
    return std::nullopt;
  }
  sqlite3_stmt* statement = Statement(type, kByValue);
  if (statement == nullptr) {
    return std::nullopt;
  }
  sqlite3_bind_int(statement, 1, static_cast<std::int32_t>(value));
  if (sqlite3_step(statement) != SQLITE_ROW) {
    return std::nullopt;
  }
  return Text(statement, 0);
}

std::vector<NamedDefine> DefineRows::NamesOfValue(ErrorType type, std::uint32_t value) const {
  std::vector<NamedDefine> names;
  sqlite3_stmt* statement = MayHold(type, value) ? Statement(type, kByValue) : nullptr;
  if (statement == nullptr) {
    return names;
  }
  sqlite3_bind_int(statement, 1, static_cast<std::int32_t>(value));
  while (sqlite3_step(statement) == SQLITE_ROW) {
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
    sqlite3_bind_text(statement, 1, part.data(), static_cast<int>(part.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(statement) == SQLITE_ROW) {
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
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      names.push_back(Text(statement, 0));
    }
  }
  return names;
}

std::optional<std::int64_t> DefineRows::RowCount(ErrorType type) const {
  sqlite3_stmt* statement = Statement(type, kCount);
  if (statement == nullptr || sqlite3_step(statement) != SQLITE_ROW) {
    return std::nullopt;
  }
  return sqlite3_column_int64(statement, 0);
}

}  // namespace quillon
