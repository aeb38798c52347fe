// Finds and opens the definitions database for a front end: each hands its own places, in
// the order it looks, and says whether the file is checked before it is read.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/define_rows.h"
#include "lookup/sqlite_handles.h"

namespace quillon {

struct DefinePlace {
  std::filesystem::path path;
  // Taken even when it holds no file: a name the user gave, whose problem is then told.
  bool given = false;
};

enum class DefineCheck {
  // Whatever SQLite opens is read; a table that cannot be read finds nothing (the window).
  None,
  // The file's header and then the schema, on the connection that is kept, must show a
  // definitions database (CheckDefineFile, CheckDefineSchema): a file that is none is
  // named with the reason instead of finding nothing (the command line).
  FileAndSchema,
};

struct OpenedDefines {
  std::filesystem::path path;          // the place taken; empty when none holds a file
  std::optional<std::string> problem;  // why the file cannot serve; then the rows find nothing
  std::unique_ptr<DefineRows> rows;    // never null
};

// Opens, read-only, the first place that holds a regular file or is given. Opened once: the
// rows keep the connection for the whole run.
OpenedDefines OpenDefines(const std::vector<DefinePlace>& places, DefineCheck check);

// The connection to the database file name (UTF-8, or a "file:" URI), read-only and never
// creating a file; null when it cannot be opened.
SqliteConnection OpenDefinesReadOnly(const std::string& name);

// The window's places: defines.db3 in the current directory, else beside the executable
// (exeDirectory, in UTF-8, ends with a path separator or is empty when unknown).
std::vector<DefinePlace> WindowDefinePlaces(std::string_view exeDirectory);

// The command line's: --db alone when given (option); else defines.db3 beside the program,
// else the installed copy in share/quillon beside the program's bin folder; none when the
// program's own path is unknown.
std::vector<DefinePlace> CommandDefinePlaces(const std::optional<std::string>& option,
                                             const std::filesystem::path& programPath);

}  // namespace quillon
