#include "lookup/define_file_check.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "base/define_schema.h"
#include "base/error_type.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

namespace {

// The first 100 bytes of an SQLite file: its magic text, then bytes 18 and 19 hold 2 in WAL
// mode (the file format's write and read versions).
constexpr std::size_t kHeaderSize = 100;
constexpr std::string_view kMagic{"SQLite format 3\0", 16};

std::string ErrnoText(int error) {
  return std::generic_category().message(error != 0 ? error : EIO);
}

// The header, or the reason it cannot be read.
std::optional<std::string> ReadHeader(const std::filesystem::path& path,
                                      std::array<char, kHeaderSize>& header) {
  std::error_code status;
  if (std::filesystem::is_directory(path, status)) {
    return std::make_error_code(std::errc::is_a_directory).message();
  }
  errno = 0;
  // Unbuffered: the 100 bytes are read as such, not 8 KiB into a buffer of their own.
  std::ifstream file;
  file.rdbuf()->pubsetbuf(nullptr, 0);
  file.open(path, std::ios::binary);
  if (!file) {
    return ErrnoText(errno);
  }
  errno = 0;
  file.read(header.data(), static_cast<std::streamsize>(header.size()));
  if (file.bad()) {
    return ErrnoText(errno);
  }
  if (static_cast<std::size_t>(file.gcount()) < header.size() ||
      std::string_view(header.data(), kMagic.size()) != kMagic) {
    return "not an SQLite database";
  }
  return std::nullopt;
}

bool IsWal(const std::array<char, kHeaderSize>& header) {
  return header[18] == 2 || header[19] == 2;
}

// "?", "#" and "%" would end or change a URI's path; everything else SQLite takes as it is.
std::string UriPath(std::string text) {
  if (std::filesystem::path::preferred_separator == '\\') {
    std::replace(text.begin(), text.end(), '\\', '/');
  }
  std::string uri;
  for (const char c : text) {
    if (c == '?' || c == '#' || c == '%') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  // An absolute path gets the empty authority before it: a drive letter's needs one, and a path
  // that begins "//" would otherwise have its first folder read as a host.
  if (text.size() > 1 && text[1] == ':') {
    return "///" + uri;
  }
  return text.starts_with('/') ? "//" + uri : uri;
}

// A table the program reads: the columns it asks for, whether a database may lack it (one made
// before it) and whether its rows are ordered as stored (by rowid).
struct TableNeed {
  std::string_view name;
  std::string columns;
  bool required;
  bool ordered;
};

std::string Article(std::string_view word) {
  return !word.empty() && std::strchr("aeiou", word[0]) != nullptr ? "an " : "a ";
}

// An entry of the schema: a table, view, index or trigger.
struct SchemaEntry {
  std::string name;
  std::string type;
  bool isVirtual = false;  // a virtual table
};

// Every entry of the schema in its stored order, read by one statement; or why it cannot be.
std::optional<std::string> ReadSchema(sqlite3* connection, std::vector<SchemaEntry>& entries) {
  const SqliteStatement all =
      PrepareStatement(connection, "SELECT name, type, sql FROM sqlite_schema");
  if (all == nullptr) {
    return sqlite3_errmsg(connection);
  }
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(all.get())) == SQLITE_ROW) {
    const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(all.get(), 2));
    entries.push_back({ColumnText(all.get(), 0), ColumnText(all.get(), 1),
                       sql != nullptr && sqlite3_strnicmp(sql, "CREATE VIRTUAL", 14) == 0});
  }
  if (step != SQLITE_DONE) {
    return sqlite3_errmsg(connection);
  }
  return std::nullopt;
}

// Why the table cannot be read as the program reads it, judged from its entry of the schema
// (the first whose name matches in any ASCII case, as SQLite matches names): not there, or not
// a table (a view or a virtual table can yield rows without end). present tells whether a
// table that may be missing is there.
std::optional<std::string> KindProblem(const std::vector<SchemaEntry>& entries,
                                       const TableNeed& need, bool& present) {
  const std::string table(need.name);
  const auto entry = std::find_if(entries.begin(), entries.end(), [&table](const SchemaEntry& e) {
    return sqlite3_stricmp(e.name.c_str(), table.c_str()) == 0;
  });
  present = entry != entries.end();
  if (!present) {
    return need.required ? std::optional<std::string>("no table " + table) : std::nullopt;
  }
  if (entry->type != "table") {
    return table + " is " + Article(entry->type) + entry->type + ", not a table";
  }
  if (entry->isVirtual) {
    return table + " is a virtual table, not a table";
  }
  return std::nullopt;
}

// What the program reads of the table as the result columns of a statement: its columns and,
// when its rows are read in stored order, its rowid.
std::string ColumnsRead(const TableNeed& need) {
  return need.columns + (need.ordered ? ", rowid" : "");
}

// Why the table lacks a column the program asks for, or a rowid. Prepared, never run.
std::optional<std::string> ColumnProblem(sqlite3* connection, const TableNeed& need) {
  const std::string table(need.name);
  if (PrepareStatement(connection, "SELECT " + need.columns + " FROM " + table + " LIMIT 0") ==
      nullptr) {
    return sqlite3_errmsg(connection);
  }
  if (need.ordered &&
      PrepareStatement(connection, "SELECT rowid FROM " + table + " LIMIT 0") == nullptr) {
    return table + " has no rowid (a WITHOUT ROWID table)";
  }
  return std::nullopt;
}

// Whether each table has every column it is asked for, and a rowid where its rows are read in
// stored order: asked of the schema SQLite has read, which costs no statement to prepare.
bool ColumnsKnown(sqlite3* connection, const std::vector<TableNeed>& tables) {
  for (const TableNeed& need : tables) {
    const std::string table(need.name);
    const std::string columns = ColumnsRead(need);
    for (std::size_t start = 0; start < columns.size();) {
      const std::size_t end = std::min(columns.find(", ", start), columns.size());
      const std::string column = columns.substr(start, end - start);
      if (sqlite3_table_column_metadata(connection, nullptr, table.c_str(), column.c_str(), nullptr,
                                        nullptr, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
      }
      start = end + 2;
    }
  }
  return true;
}

// One statement that reads every column and rowid of tables, each part padded with NULLs to
// the widest: it prepares when every table has what it is asked for, at the cost of one
// statement instead of one or two a table.
std::string AllColumnsRead(const std::vector<TableNeed>& tables) {
  const auto width = [](const TableNeed& need) {
    const std::string columns = ColumnsRead(need);
    return 1 + std::count(columns.begin(), columns.end(), ',');
  };
  std::ptrdiff_t widest = 0;
  for (const TableNeed& need : tables) {
    widest = std::max(widest, width(need));
  }
  std::string text;
  for (const TableNeed& need : tables) {
    text += text.empty() ? "SELECT " : " UNION ALL SELECT ";
    text += ColumnsRead(need);
    for (std::ptrdiff_t column = width(need); column < widest; ++column) {
      text += ", NULL";
    }
    text += " FROM " + std::string(need.name);
  }
  return text + " LIMIT 0";
}

}  // namespace

DefineSchemaCheck CheckDefineSchema(sqlite3* connection) {
  if (connection == nullptr) {
    return {"cannot be opened", {}};
  }
  std::vector<SchemaEntry> entries;
  if (auto problem = ReadSchema(connection, entries)) {
    return {std::move(problem), {}};
  }
  const std::string codeColumns = std::string(kCodeColumn) + ", " + std::string(kNameColumn);
  std::vector<TableNeed> needs;
  for (const ErrorType type : kErrorTypes) {
    needs.push_back({ErrorTypeName(type), codeColumns, true, true});
  }
  needs.push_back({kStatusMapTable,
                   std::string(kStatusMapStatusColumn) + ", " + std::string(kStatusMapWin32Column),
                   false, false});
  needs.push_back({kFacilityTable,
                   std::string(kFacilityKindColumn) + ", " + std::string(kFacilityNumberColumn) +
                       ", " + std::string(kFacilityNameColumn),
                   false, true});
  needs.push_back({kNameHashTable, std::string(kNameHashColumn), false, false});
  needs.push_back({kKindValuesTable,
                   std::string(kKindValuesKindColumn) + ", " + std::string(kKindValuesColumn),
                   false, false});
  DefineLayout layout;
  std::vector<TableNeed> present;
  for (const TableNeed& need : needs) {
    bool there = false;
    if (auto problem = KindProblem(entries, need, there)) {
      return {std::move(problem), {}};
    }
    if (there) {
      present.push_back(need);
      layout.hasStatusMap = layout.hasStatusMap || need.name == kStatusMapTable;
      layout.hasFacilities = layout.hasFacilities || need.name == kFacilityTable;
      layout.hasNameHashes = layout.hasNameHashes || need.name == kNameHashTable;
      layout.hasKindValues = layout.hasKindValues || need.name == kKindValuesTable;
    }
  }
  // The sound database's case costs no statement, and the check also finds the headers'
  // column (of Win32's table, as a database made before them lacks it); one that lacks
  // something costs one statement, and the table that lacks it is then found and named by
  // statements of its own.
  std::vector<TableNeed> withHeaders = present;  // Win32's first: the kinds lead the needs
  withHeaders.front().columns += ", " + std::string(kHeaderColumn);
  if (ColumnsKnown(connection, withHeaders)) {
    layout.hasHeaders = true;
    return {std::nullopt, layout};
  }
  if (PrepareStatement(connection, AllColumnsRead(present)) != nullptr) {
    return {std::nullopt, layout};
  }
  const std::string failure = sqlite3_errmsg(connection);
  for (const TableNeed& need : present) {
    if (auto problem = ColumnProblem(connection, need)) {
      return {std::move(problem), {}};
    }
  }
  return {failure, {}};
}

std::string Utf8Name(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

DefineFileOpening CheckDefineFile(const std::filesystem::path& path) {
  std::array<char, kHeaderSize> header{};
  if (auto problem = ReadHeader(path, header)) {
    return {std::move(problem), {}};
  }
  const std::string immutable = "file:" + UriPath(Utf8Name(path)) + "?immutable=1";
  std::filesystem::path beside = path;
  std::error_code missing;
  if (!IsWal(header)) {
    // Nothing writes the database while the program reads it: as immutable it is read with no
    // locks and no looks for journals or changes. A journal left by a write cut short is
    // SQLite's to judge (it refuses the file, or reads it as the journal says).
    beside += "-journal";
    const auto journalSize = std::filesystem::file_size(beside, missing);
    return {std::nullopt, !missing && journalSize > 0 ? Utf8Name(path) : immutable};
  }
  // Opened as immutable, the database would be read without what its -wal file holds.
  beside += "-wal";
  const auto walSize = std::filesystem::file_size(beside, missing);
  if (!missing && walSize > 0) {
    return {"in WAL mode, with changes still in " + beside.string() +
                " (a checkpoint writes them into the database)",
            {}};
  }
  return {std::nullopt, immutable};
}

}  // namespace quillon
