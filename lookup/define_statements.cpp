#include "lookup/define_statements.h"

#include "base/define_schema.h"

namespace quillon {

bool ReadsKindTable(DefineStatement statement) {
  return statement != DefineStatement::Win32OfStatus &&
         statement != DefineStatement::StatusesOfWin32 &&
         statement != DefineStatement::FacilityName;
}

std::string DefineStatementText(DefineStatement statement, ErrorType type, bool hasHeaders) {
  const std::string table(ErrorTypeName(type));
  const std::string code(kCodeColumn);
  const std::string name(kNameColumn);
  const std::string header = hasHeaders ? std::string(kHeaderColumn) : "''";
  const std::string map(kStatusMapTable);
  const std::string status(kStatusMapStatusColumn);
  const std::string win32(kStatusMapWin32Column);
  switch (statement) {
    case DefineStatement::ByName:
      // The window's two statements, column names qualified as it has always asked them.
      return "SELECT " + table + "." + code + " FROM " + table + " WHERE " + table + "." + name +
             " = ?1";
    case DefineStatement::ByNumber:
      return "SELECT " + table + "." + name + " FROM " + table + " WHERE (" + table + "." + code +
             " = ?1)";
    case DefineStatement::AllOfName:
      return "SELECT " + code + " FROM " + table + " WHERE " + name + " = ?1 ORDER BY rowid";
    case DefineStatement::AllOfValue:
      return "SELECT " + name + ", " + header + " FROM " + table + " WHERE " + code +
             " = ?1 ORDER BY rowid";
    case DefineStatement::Search:
      return "SELECT " + code + ", " + name + ", " + header + " FROM " + table +
             " WHERE instr(upper(" + name + "), upper(?1)) > 0 ORDER BY (" + code +
             " & 4294967295), rowid";
    case DefineStatement::Count:
      // Rows with a code, as the About window has always counted them: a row without one
      // can never be found.
      return "SELECT count(" + code + ") FROM " + table;
    case DefineStatement::Rows:
      return "SELECT " + code + ", " + name + " FROM " + table;
    case DefineStatement::Values:
      return "SELECT " + code + " FROM " + table;
    case DefineStatement::Win32OfStatus:
      return "SELECT " + win32 + " FROM " + map + " WHERE " + status + " = ?1";
    case DefineStatement::StatusesOfWin32:
      return "SELECT " + status + " FROM " + map + " WHERE " + win32 + " = ?1 ORDER BY (" + status +
             " & 4294967295)";
    case DefineStatement::FacilityName:
      return "SELECT " + std::string(kFacilityNameColumn) + " FROM " + std::string(kFacilityTable) +
             " WHERE " + std::string(kFacilityKindColumn) + " = ?1 AND " +
             std::string(kFacilityNumberColumn) + " = ?2 ORDER BY rowid LIMIT 1";
  }
  return {};
}

}  // namespace quillon
