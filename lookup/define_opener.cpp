#include "lookup/define_opener.h"

#include <sqlite3.h>

#include <system_error>
#include <utility>

#include "base/define_schema.h"
#include "lookup/define_file_check.h"

namespace quillon {

namespace {

// The path made of UTF-8 text, whatever the platform's narrow encoding.
std::filesystem::path Utf8Path(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::unique_ptr<DefineRows> NoRows() {
  return std::make_unique<DefineRows>(nullptr);
}

}  // namespace

SqliteConnection OpenDefinesReadOnly(const std::string& name) {
  // Read-only: the program never writes the database, and a missing file must not be
  // created as an empty one in whatever directory the user started from. An empty name
  // would open a private temporary database.
  if (name.empty()) {
    return nullptr;
  }
  sqlite3* connection = nullptr;
  // A "file:" URI lets CheckDefineFile open a database as immutable. No mutex on the
  // connection: one thread at a time asks it (the scan's workers take turns), and SQLite's
  // locking of every call was a quarter of the work of reading the definitions.
  const int opened =
      sqlite3_open_v2(name.c_str(), &connection,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
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
  // Room for every page of the database (15 MB): a run of many lookups or a search would
  // otherwise read pages again from the file once the default 2 MB were full. Pages take
  // memory only once read, so a single lookup pays nothing for it.
  sqlite3_exec(owned.get(), "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
  // Plans that never depend on a bound value: a statement whose LIKE pattern is bound would
  // otherwise be prepared anew at its first step, and at every step after a new pattern.
  sqlite3_db_config(owned.get(), SQLITE_DBCONFIG_ENABLE_QPSG, 1, nullptr);
  return owned;
}

OpenedDefines OpenDefines(const std::vector<DefinePlace>& places, DefineCheck check) {
  OpenedDefines opened{{}, std::nullopt, NoRows()};
  for (const DefinePlace& place : places) {
    std::error_code ignored;
    if (place.given || std::filesystem::is_regular_file(place.path, ignored)) {
      opened.path = place.path;
      break;
    }
  }
  if (opened.path.empty()) {
    return opened;
  }
  if (check == DefineCheck::None) {
    opened.rows = std::make_unique<DefineRows>(OpenDefinesReadOnly(Utf8Name(opened.path)));
    return opened;
  }
  // Checked before it is asked: a view with endless rows is never read.
  const DefineFileOpening file = CheckDefineFile(opened.path);
  opened.problem = file.problem;
  if (opened.problem) {
    return opened;
  }
  SqliteConnection connection = OpenDefinesReadOnly(file.openName);
  DefineSchemaCheck schema = CheckDefineSchema(connection.get());
  opened.problem = std::move(schema.problem);
  if (!opened.problem) {
    opened.rows = std::make_unique<DefineRows>(std::move(connection), schema.layout);
  }
  return opened;
}

std::vector<DefinePlace> WindowDefinePlaces(std::string_view exeDirectory) {
  std::string besideExe(exeDirectory);
  besideExe += kDefinesFileName;
  return {{Utf8Path(kDefinesFileName)}, {Utf8Path(besideExe)}};
}

std::vector<DefinePlace> CommandDefinePlaces(const std::optional<std::string>& option,
                                             const std::filesystem::path& programPath) {
  if (option) {
    return {{*option, true}};
  }
  if (programPath.empty()) {
    return {};
  }
  const std::filesystem::path bin = programPath.parent_path();
  return {{bin / kDefinesFileName}, {bin.parent_path() / "share" / "quillon" / kDefinesFileName}};
}

}  // namespace quillon
