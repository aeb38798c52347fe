#include "tools/make_defines/database_writer.h"

#include <sqlite3.h>

#include <system_error>

#include "base/define_schema.h"
#include "base/error_type.h"
#include "lookup/sqlite_handles.h"

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

std::string InsertRows(sqlite3* connection, const std::vector<DefineRow>& rows) {
  for (const ErrorType type : kErrorTypes) {
    const std::string sql = "INSERT INTO " + std::string(ErrorTypeName(type)) + " (" +
                            std::string(kCodeColumn) + ", " + std::string(kNameColumn) + ", " +
                            std::string(kHeaderColumn) + ") VALUES (?, ?, ?);";
    const SqliteStatement insert = PrepareStatement(connection, sql);
    if (insert == nullptr) {
      return ErrorText(connection, sql);
    }
    for (const DefineRow& row : rows) {
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

std::string WriteFile(const std::vector<DefineRow>& rows, const std::string& path) {
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
    error = InsertRows(c, rows);
  if (error.empty())
    error = CreateIndexes(c);
  if (error.empty())
    error = Execute(c, "COMMIT;");
  // Packs the pages; the file then depends only on the rows and SQLite's version.
  if (error.empty())
    error = Execute(c, "VACUUM;");
  return error;
}

}  // namespace

std::string WriteDefinesDatabase(const std::vector<DefineRow>& rows,
                                 const std::filesystem::path& path) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  std::filesystem::path journal = temporary;
  journal += "-journal";
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  std::filesystem::remove(journal, ignored);
  std::string error = WriteFile(rows, temporary.string());
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
