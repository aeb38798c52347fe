// Checks a definitions database file before it is opened, so that a front end can say why it
// cannot use the file instead of finding nothing, or hanging on a table that is not a table.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct sqlite3;

namespace quillon {

// Why path cannot serve as the definitions database as a file, in words for a user ("No such
// file or directory", "not an SQLite database", a WAL file with changes); nothing when it may.
// Reads the file's header only.
std::optional<std::string> DefineFileProblem(const std::filesystem::path& path);

// Why the database open on connection cannot serve ("Win32 is a view, not a table", "no such
// column: Define"); nothing when it can. Reads the schema only, never a table's rows: a view
// that yields endless rows is refused at once. Asked on the connection the program then uses,
// so that the schema is read once.
std::optional<std::string> DefineSchemaProblem(sqlite3* connection);

// The name under which to open path read-only: its UTF-8 text, or for a database in WAL mode
// a URI that opens it as immutable. A read-only WAL open otherwise needs -shm and -wal files
// beside the database, which a user may not be allowed to create (/usr/share/quillon).
std::string DefineFileOpenName(const std::filesystem::path& path);

}  // namespace quillon
