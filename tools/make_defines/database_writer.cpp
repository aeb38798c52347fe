#include "tools/make_defines/database_writer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <vector>

#include "base/define_schema.h"
#include "base/error_type.h"
#include "base/name_hash.h"
#include "lookup/sqlite_handles.h"
#include "tools/make_defines/setup_tables.h"

namespace quillon::make_defines {
namespace {

std::string ErrorText(sqlite3* connection, const std::string& doing) {
  return doing + ": " + (connection != nullptr ? sqlite3_errmsg(connection) : "out of memory");
}

std::string Execute(sqlite3* connection, const std::string& sql) {
  if (sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    return ErrorText(connection, sql);
  }
  return {};
}

std::string CreateSchema(sqlite3* connection) {
  for (const ErrorType type : kErrorTypes) {
    const std::string table(ErrorTypeName(type));
    // NOCASE: the program looks names up in upper case, and a few SDK names are not
    // (NERR_Success); the index on Define takes the column's collation.
    const std::string sql = "CREATE TABLE " + table + " (" + std::string(kCodeColumn) +
                            " INTEGER NOT NULL, " + std::string(kNameColumn) +
                            " TEXT NOT NULL COLLATE NOCASE, " + std::string(kHeaderColumn) +
                            " TEXT NOT NULL);";
    if (std::string error = Execute(connection, sql); !error.empty())
      return error;
  }
  return {};
}

// The tables beside the four of the kinds: the program's statements never name them.
std::string CreateExtraTables(sqlite3* connection) {
  const std::string sql =
      "CREATE TABLE " + std::string(kFacilityTable) + " (" + std::string(kFacilityKindColumn) +
      " TEXT NOT NULL, " + std::string(kFacilityNumberColumn) + " INTEGER NOT NULL, " +
      std::string(kFacilityNameColumn) + " TEXT NOT NULL, " + std::string(kHeaderColumn) +
      " TEXT NOT NULL); CREATE TABLE " + std::string(kStatusMapTable) + " (" +
      std::string(kStatusMapStatusColumn) + " INTEGER NOT NULL, " +
      std::string(kStatusMapWin32Column) + " INTEGER NOT NULL);";
  return Execute(connection, sql);
}

std::string CreateExtraIndexes(sqlite3* connection) {
  const std::string facility(kFacilityTable);
  const std::string map(kStatusMapTable);
  const std::string sql = "CREATE INDEX " + facility + "_Number ON " + facility + " (" +
                          std::string(kFacilityKindColumn) + ", " +
                          std::string(kFacilityNumberColumn) + "); CREATE INDEX " + map + "_" +
                          std::string(kStatusMapStatusColumn) + " ON " + map + " (" +
                          std::string(kStatusMapStatusColumn) + "); CREATE INDEX " + map + "_" +
                          std::string(kStatusMapWin32Column) + " ON " + map + " (" +
                          std::string(kStatusMapWin32Column) + ");";
  return Execute(connection, sql);
}

std::string InsertExtraRows(sqlite3* connection, const DatabaseContent& content) {
  const std::string facilitySql =
      "INSERT INTO " + std::string(kFacilityTable) + " VALUES (?, ?, ?, ?);";
  const SqliteStatement facility = PrepareStatement(connection, facilitySql);
  if (facility == nullptr)
    return ErrorText(connection, facilitySql);
  for (const FacilityRow& row : content.facilities) {
    const std::string_view kind = ErrorTypeName(row.kind);
    sqlite3_reset(facility.get());
    sqlite3_bind_text(facility.get(), 1, kind.data(), static_cast<int>(kind.size()), SQLITE_STATIC);
    sqlite3_bind_int64(facility.get(), 2, row.number);
    sqlite3_bind_text(facility.get(), 3, row.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(facility.get(), 4, row.header.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(facility.get()) != SQLITE_DONE)
      return ErrorText(connection, "inserting " + row.name);
  }
  const std::string mapSql = "INSERT INTO " + std::string(kStatusMapTable) + " VALUES (?, ?);";
  const SqliteStatement map = PrepareStatement(connection, mapSql);
  if (map == nullptr)
    return ErrorText(connection, mapSql);
  for (const StatusMapping& mapping : content.statusMap) {
    sqlite3_reset(map.get());
    sqlite3_bind_int(map.get(), 1, mapping.status);
    sqlite3_bind_int(map.get(), 2, mapping.win32);
    if (sqlite3_step(map.get()) != SQLITE_DONE)
      return ErrorText(connection, "inserting the Win32 code of an NTSTATUS value");
  }
  return {};
}

// The documentation's tables: each keyed so that one lookup is one search of its primary key.
std::string CreateDocumentationTables(sqlite3* connection) {
  return Execute(connection,
                 "CREATE TABLE Description (Kind TEXT NOT NULL, ErrNum INTEGER NOT NULL, Lang TEXT "
                 "NOT NULL, Text TEXT NOT NULL, Page TEXT NOT NULL, PRIMARY KEY (Kind, ErrNum, "
                 "Lang)) WITHOUT ROWID;"
                 "CREATE TABLE Remedy (Kind TEXT NOT NULL, ErrNum INTEGER NOT NULL, Lang TEXT NOT "
                 "NULL, Seq INTEGER NOT NULL, Text TEXT NOT NULL, Page TEXT NOT NULL, PRIMARY KEY "
                 "(Kind, ErrNum, Lang, Seq)) WITHOUT ROWID;"
                 "CREATE TABLE BugCheckParameter (ErrNum INTEGER NOT NULL, Lang TEXT NOT NULL, "
                 "Number INTEGER NOT NULL, Meaning TEXT NOT NULL, Page TEXT NOT NULL, PRIMARY KEY "
                 "(ErrNum, Lang, Number)) WITHOUT ROWID;"
                 "CREATE TABLE BugCheckCase (ErrNum INTEGER NOT NULL, Lang TEXT NOT NULL, Seq "
                 "INTEGER NOT NULL, Parameter INTEGER NOT NULL, Value INTEGER, ValueText TEXT NOT "
                 "NULL, Cause TEXT NOT NULL, Parameter1 TEXT, Parameter2 TEXT, Parameter3 TEXT, "
                 "Parameter4 TEXT, Page TEXT NOT NULL, PRIMARY KEY (ErrNum, Lang, Seq)) WITHOUT "
                 "ROWID;"
                 "CREATE TABLE " +
                     std::string(kDescribedCodeTable) + " (ErrNum INTEGER PRIMARY KEY);");
}

// The codes Description holds, each once, after its rows are in.
std::string FillDescribedCodes(sqlite3* connection) {
  return Execute(connection, "INSERT INTO " + std::string(kDescribedCodeTable) +
                                 " SELECT DISTINCT ErrNum FROM Description;");
}

void BindText(sqlite3_stmt* statement, int index, std::string_view text) {
  sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Binds the values, steps once; false when the row could not be written.
template <typename Bind>
bool InsertOne(sqlite3_stmt* statement, Bind bind) {
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  bind(statement);
  return sqlite3_step(statement) == SQLITE_DONE;
}

std::string InsertDocumentation(sqlite3* connection, const Documentation& documentation) {
  const SqliteStatement description =
      PrepareStatement(connection, "INSERT INTO Description VALUES (?, ?, ?, ?, ?);");
  const SqliteStatement remedy =
      PrepareStatement(connection, "INSERT INTO Remedy VALUES (?, ?, ?, ?, ?, ?);");
  const SqliteStatement parameter =
      PrepareStatement(connection, "INSERT INTO BugCheckParameter VALUES (?, ?, ?, ?, ?);");
  const SqliteStatement bugCase = PrepareStatement(
      connection, "INSERT INTO BugCheckCase VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);");
  if (description == nullptr || remedy == nullptr || parameter == nullptr || bugCase == nullptr)
    return ErrorText(connection, "preparing the documentation's statements");
  for (const DescriptionRow& row : documentation.descriptions) {
    if (!InsertOne(description.get(), [&row](sqlite3_stmt* s) {
          BindText(s, 1, ErrorTypeName(row.kind));
          sqlite3_bind_int(s, 2, row.code);
          BindText(s, 3, row.language);
          BindText(s, 4, row.text);
          BindText(s, 5, row.page);
        }))
      return ErrorText(connection, "inserting the description of " + std::to_string(row.code));
  }
  for (const RemedyRow& row : documentation.remedies) {
    if (!InsertOne(remedy.get(), [&row](sqlite3_stmt* s) {
          BindText(s, 1, ErrorTypeName(row.kind));
          sqlite3_bind_int(s, 2, row.code);
          BindText(s, 3, row.language);
          sqlite3_bind_int(s, 4, row.seq);
          BindText(s, 5, row.text);
          BindText(s, 6, row.page);
        }))
      return ErrorText(connection, "inserting a remedy of " + std::to_string(row.code));
  }
  for (const BugCheckParameterRow& row : documentation.parameters) {
    if (!InsertOne(parameter.get(), [&row](sqlite3_stmt* s) {
          sqlite3_bind_int(s, 1, row.code);
          BindText(s, 2, row.language);
          sqlite3_bind_int(s, 3, row.number);
          BindText(s, 4, row.meaning);
          BindText(s, 5, row.page);
        }))
      return ErrorText(connection, "inserting a parameter of bug check " + row.page);
  }
  for (const BugCheckCaseRow& row : documentation.cases) {
    if (!InsertOne(bugCase.get(), [&row](sqlite3_stmt* s) {
          sqlite3_bind_int(s, 1, row.code);
          BindText(s, 2, row.language);
          sqlite3_bind_int(s, 3, row.seq);
          sqlite3_bind_int(s, 4, row.parameter);
          if (row.value)
            sqlite3_bind_int64(s, 5, *row.value);
          BindText(s, 6, row.valueText);
          BindText(s, 7, row.cause);
          for (int i = 0; i < 4; ++i) {
            const std::string& meaning = row.meanings[static_cast<std::size_t>(i)];
            if (!meaning.empty())
              BindText(s, 8 + i, meaning);
          }
          BindText(s, 12, row.page);
        }))
      return ErrorText(connection, "inserting a case of bug check " + row.page);
  }
  return {};
}

std::string CreateIndexes(sqlite3* connection) {
  for (const ErrorType type : kErrorTypes) {
    const std::string table(ErrorTypeName(type));
    for (const std::string_view name : {kCodeColumn, kNameColumn}) {
      const std::string column(name);
      const std::string sql =
          "CREATE INDEX " + table + "_" + column + " ON " + table + " (" + column + ");";
      if (std::string error = Execute(connection, sql); !error.empty())
        return error;
    }
  }
  return {};
}

std::string InsertRows(sqlite3* connection, const std::vector<CatalogRow>& rows) {
  for (const ErrorType type : kErrorTypes) {
    const std::string sql = "INSERT INTO " + std::string(ErrorTypeName(type)) + " (" +
                            std::string(kCodeColumn) + ", " + std::string(kNameColumn) + ", " +
                            std::string(kHeaderColumn) + ") VALUES (?, ?, ?);";
    const SqliteStatement insert = PrepareStatement(connection, sql);
    if (insert == nullptr) {
      return ErrorText(connection, sql);
    }
    for (const CatalogRow& row : rows) {
      if (row.table != type)
        continue;
      sqlite3_reset(insert.get());
      sqlite3_bind_int(insert.get(), 1, row.code);
      sqlite3_bind_text(insert.get(), 2, row.name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert.get(), 3, row.header.c_str(), -1, SQLITE_STATIC);
      if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        return ErrorText(connection, "inserting " + row.name);
      }
    }
  }
  return {};
}

// Values as the database stores them in one blob: 4 bytes each, little-endian.
std::string LittleEndianBytes(const std::vector<std::uint32_t>& values) {
  std::string bytes;
  for (const std::uint32_t value : values) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  }
  return bytes;
}

// Each of a kind's rows' first column, mapped by read, read back from the table once its rows
// are in, so that what is derived from it holds exactly what the table does.
template <typename Read>
std::string ReadColumn(sqlite3* connection, ErrorType type, std::string_view column,
                       std::vector<std::uint32_t>& into, Read read) {
  const std::string sql =
      "SELECT " + std::string(column) + " FROM " + std::string(ErrorTypeName(type));
  const SqliteStatement statement = PrepareStatement(connection, sql);
  if (statement == nullptr)
    return ErrorText(connection, sql);
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
    into.push_back(read(statement.get()));
  if (step != SQLITE_DONE)
    return ErrorText(connection, sql);
  return {};
}

void SortDistinct(std::vector<std::uint32_t>& values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
}

std::string InsertBlob(sqlite3* connection, const std::string& sql, std::string_view kind,
                       const std::string& bytes) {
  const SqliteStatement insert = PrepareStatement(connection, sql);
  if (insert == nullptr)
    return ErrorText(connection, sql);
  int column = 1;
  if (!kind.empty())
    sqlite3_bind_text(insert.get(), column++, kind.data(), static_cast<int>(kind.size()),
                      SQLITE_STATIC);
  sqlite3_bind_blob(insert.get(), column, bytes.data(), static_cast<int>(bytes.size()),
                    SQLITE_STATIC);
  if (sqlite3_step(insert.get()) != SQLITE_DONE)
    return ErrorText(connection, sql);
  return {};
}

// What a scan reads at its start instead of every row (base/define_schema.h): every name's
// hash, and each kind's codes.
std::string WriteScanTables(sqlite3* connection) {
  const auto hashOf = [](sqlite3_stmt* s) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    return NameHash(
        {text != nullptr ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s, 0))});
  };
  const auto codeOf = [](sqlite3_stmt* s) {
    return static_cast<std::uint32_t>(sqlite3_column_int(s, 0));
  };
  std::string error = Execute(
      connection, "CREATE TABLE " + std::string(kNameHashTable) + " (" +
                      std::string(kNameHashColumn) + " BLOB NOT NULL); CREATE TABLE " +
                      std::string(kKindValuesTable) + " (" + std::string(kKindValuesKindColumn) +
                      " TEXT NOT NULL, " + std::string(kKindValuesColumn) + " BLOB NOT NULL);");
  std::vector<std::uint32_t> hashes;
  for (const ErrorType type : kErrorTypes) {
    std::vector<std::uint32_t> codes;
    if (error.empty())
      error = ReadColumn(connection, type, kNameColumn, hashes, hashOf);
    if (error.empty())
      error = ReadColumn(connection, type, kCodeColumn, codes, codeOf);
    SortDistinct(codes);
    if (error.empty())
      error =
          InsertBlob(connection, "INSERT INTO " + std::string(kKindValuesTable) + " VALUES (?, ?);",
                     ErrorTypeName(type), LittleEndianBytes(codes));
  }
  SortDistinct(hashes);
  if (error.empty())
    error = InsertBlob(connection, "INSERT INTO " + std::string(kNameHashTable) + " VALUES (?);",
                       {}, LittleEndianBytes(hashes));
  return error;
}

std::string WriteFile(const DatabaseContent& content, const std::string& path) {
  sqlite3* raw = nullptr;
  const int opened =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  const SqliteConnection connection(raw);
  if (opened != SQLITE_OK)
    return ErrorText(raw, "opening " + path);
  sqlite3* c = connection.get();
  std::string error = Execute(c, "PRAGMA page_size = 4096; BEGIN;");
  if (error.empty())
    error = CreateSchema(c);
  if (error.empty())
    error = CreateExtraTables(c);
  if (error.empty())
    error = CreateDocumentationTables(c);
  if (error.empty())
    error = InsertRows(c, content.rows);
  if (error.empty() && content.documentation != nullptr)
    error = InsertDocumentation(c, *content.documentation);
  if (error.empty())
    error = FillDescribedCodes(c);
  if (error.empty())
    error = InsertExtraRows(c, content);
  if (error.empty() && content.setup != nullptr)
    error = WriteSetupTables(c, *content.setup);
  if (error.empty())
    error = WriteScanTables(c);
  if (error.empty())
    error = CreateIndexes(c);
  if (error.empty())
    error = CreateExtraIndexes(c);
  if (error.empty())
    error = Execute(c, "COMMIT;");
  // Packs the pages; the file then depends only on the rows and SQLite's version.
  if (error.empty())
    error = Execute(c, "VACUUM;");
  return error;
}

}  // namespace

std::string WriteDefinesDatabase(const DatabaseContent& content,
                                 const std::filesystem::path& path) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  std::filesystem::path journal = temporary;
  journal += "-journal";
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  std::filesystem::remove(journal, ignored);
  std::string error = WriteFile(content, temporary.string());
  if (error.empty()) {
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (renameError)
      error = "renaming " + temporary.string() + ": " + renameError.message();
  }
  if (!error.empty()) {
    std::filesystem::remove(temporary, ignored);
    std::filesystem::remove(journal, ignored);
  }
  return error;
}

}  // namespace quillon::make_defines
