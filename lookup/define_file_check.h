// Checks a definitions database file before it is opened, so that a front end can say why it
// cannot use the file instead of finding nothing, or hanging on a table that is not a table.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct sqlite3;

namespace quillon {

// What opening path as the definitions database takes, judged from its header alone: why the
// file cannot serve, in words for a user ("No such file or directory", "not an SQLite
// database", a WAL file with changes), or else the name to open it under read-only: a URI that
// opens it as immutable (no locks, no looks for changes; and a read-only WAL open otherwise
// needs -shm and -wal files beside the database, which a user may not be allowed to create in
// /usr/share/quillon), or its UTF-8 text when a journal beside it holds a write cut short.
struct DefineFileOpening {
  std::optional<std::string> problem;
  std::string openName;  // empty when there is a problem
};
DefineFileOpening CheckDefineFile(const std::filesystem::path& path);

// path's text in UTF-8, as SQLite takes file names on every platform.
std::string Utf8Name(const std::filesystem::path& path);

// What a definitions database holds beside the kinds' codes and names, which a database made
// before them lacks: the headers' column, the status map's table, the facilities', the
// names' hashes and the kinds' codes.
struct DefineLayout {
  bool hasHeaders = false;
  bool hasStatusMap = false;
  bool hasFacilities = false;
  bool hasNameHashes = false;
  bool hasKindValues = false;
};

// problem: why the database open on connection cannot serve ("Win32 is a view, not a table",
// "no such column: Define", "Win32 has no rowid (a WITHOUT ROWID table)"); nothing when it
// can, and then layout tells what it holds. Every table the program reads (the four kinds'
// and, when present, the status map, the facilities, the names' hashes and the kinds' codes)
// must be a table with the columns asked of it. Reads the schema only, never a table's rows: a view
// that yields endless rows is refused at once. Asked on the connection the program then uses, so
// that the schema is read once.
struct DefineSchemaCheck {
  std::optional<std::string> problem;
  DefineLayout layout;
};
DefineSchemaCheck CheckDefineSchema(sqlite3* connection);

}  // namespace quillon
