#include "tools/make_defines/setup_tables.h"

#include <sqlite3.h>

#include "base/define_schema.h"
#include "lookup/sqlite_handles.h"

namespace quillon::make_defines {
namespace {

std::string Error(sqlite3* connection, const std::string& doing) {
  return doing + ": " + sqlite3_errmsg(connection);
}

std::string S(std::string_view text) {
  return std::string(text);
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
  if (text.empty())
    sqlite3_bind_null(statement, index);
  else
    sqlite3_bind_text(statement, index, text.c_str(), -1, SQLITE_STATIC);
}

std::string WriteNames(sqlite3* connection, std::string_view table,
                       const std::vector<SetupName>& names) {
  const std::string create = "CREATE TABLE " + S(table) + " (" + S(kSetupNumberColumn) +
                             " INTEGER NOT NULL PRIMARY KEY, " + S(kSetupNameColumn) +
                             " TEXT NOT NULL, " + S(kSetupTextColumn) + " TEXT);";
  if (sqlite3_exec(connection, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    return Error(connection, create);
  const std::string sql = "INSERT INTO " + S(table) + " VALUES (?, ?, NULL);";
  const SqliteStatement insert = PrepareStatement(connection, sql);
  if (insert == nullptr)
    return Error(connection, sql);
  for (const SetupName& name : names) {
    sqlite3_reset(insert.get());
    sqlite3_bind_int(insert.get(), 1, static_cast<int>(name.number));
    sqlite3_bind_text(insert.get(), 2, name.name.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(insert.get()) != SQLITE_DONE)
      return Error(connection, "inserting " + name.name);
  }
  return {};
}

std::string WritePairs(sqlite3* connection, const std::vector<DocumentedPair>& pairs) {
  const std::string create =
      "CREATE TABLE " + S(kSetupPairTable) + " (" + S(kSetupResultColumn) + " INTEGER NOT NULL, " +
      S(kSetupExtendColumn) + " INTEGER NOT NULL, " + S(kSetupCauseColumn) + " TEXT, " +
      S(kSetupPageColumn) + " TEXT, PRIMARY KEY (" + S(kSetupResultColumn) + ", " +
      S(kSetupExtendColumn) + ")); CREATE TABLE " + S(kSetupPairRemedyTable) + " (" +
      S(kSetupResultColumn) + " INTEGER NOT NULL, " + S(kSetupExtendColumn) +
      " INTEGER NOT NULL, " + S(kSetupSeqColumn) + " INTEGER NOT NULL, " + S(kSetupTextColumn) +
      " TEXT NOT NULL, " + S(kSetupPageColumn) + " TEXT NOT NULL, PRIMARY KEY (" +
      S(kSetupResultColumn) + ", " + S(kSetupExtendColumn) + ", " + S(kSetupSeqColumn) + "));";
  if (sqlite3_exec(connection, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    return Error(connection, create);
  const std::string pairSql = "INSERT INTO " + S(kSetupPairTable) + " VALUES (?, ?, ?, ?);";
  const std::string remedySql =
      "INSERT INTO " + S(kSetupPairRemedyTable) + " VALUES (?, ?, ?, ?, ?);";
  const SqliteStatement pairInsert = PrepareStatement(connection, pairSql);
  const SqliteStatement remedyInsert = PrepareStatement(connection, remedySql);
  if (pairInsert == nullptr || remedyInsert == nullptr)
    return Error(connection, "preparing the setup pairs' statements");
  for (const DocumentedPair& pair : pairs) {
    const int result = static_cast<int>(pair.result);
    const int extend = static_cast<int>(pair.extend);
    sqlite3_reset(pairInsert.get());
    sqlite3_bind_int(pairInsert.get(), 1, result);
    sqlite3_bind_int(pairInsert.get(), 2, extend);
    BindText(pairInsert.get(), 3, pair.cause);
    BindText(pairInsert.get(), 4, pair.page);
    if (sqlite3_step(pairInsert.get()) != SQLITE_DONE)
      return Error(connection, "inserting a setup pair");
    int seq = 0;
    for (const SetupRemedy& remedy : pair.remedies) {
      sqlite3_reset(remedyInsert.get());
      sqlite3_bind_int(remedyInsert.get(), 1, result);
      sqlite3_bind_int(remedyInsert.get(), 2, extend);
      sqlite3_bind_int(remedyInsert.get(), 3, ++seq);
      sqlite3_bind_text(remedyInsert.get(), 4, remedy.text.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(remedyInsert.get(), 5, remedy.page.c_str(), -1, SQLITE_STATIC);
      if (sqlite3_step(remedyInsert.get()) != SQLITE_DONE)
        return Error(connection, "inserting a setup pair's remedy");
    }
  }
  return {};
}

}  // namespace

std::string WriteSetupTables(sqlite3* connection, const SetupCodes& codes) {
  std::string error = WriteNames(connection, kSetupPhaseTable, codes.phases);
  if (error.empty())
    error = WriteNames(connection, kSetupOperationTable, codes.operations);
  if (error.empty())
    error = WritePairs(connection, codes.pairs);
  return error;
}

}  // namespace quillon::make_defines
