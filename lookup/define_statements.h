// The texts of every statement the program asks the definitions database. Names and codes are
// bound as ?1 (and ?2), never pasted in.
#pragma once

#include <cstddef>
#include <string>

#include "base/error_type.h"

namespace quillon {

enum class DefineStatement {
  // Of one kind's table (the window asks the first two):
  ByName,      // the first row's code of a name
  ByNumber,    // the first row's name of a code
  AllOfName,   // every code of a name, in the table's order
  AllOfValue,  // every name of a code, with its header, in the table's order
  Search,      // code, name and header of every name that contains a part, in any ASCII case
  Count,       // the rows with a code
  Rows,        // code and name of every row, in the table's order
  Values,      // the code of every row, in any order (its index's, which is smaller)
  // Of the tables beside the kinds', which a database made before them lacks:
  Win32OfStatus,
  StatusesOfWin32,
  FacilityName,  // ?1 the kind's name, ?2 the facility number
};
inline constexpr std::size_t kDefineStatementCount = 11;

// True for the statements of one kind's table; false for those of a table beside them.
bool ReadsKindTable(DefineStatement statement);

// The statement's text; type names the table of a kind's statement and is ignored otherwise.
// A database made before rows named their header (hasHeaders false) gives '' for it. Codes
// are signed 32-bit in the tables: orders take them as unsigned.
std::string DefineStatementText(DefineStatement statement, ErrorType type, bool hasHeaders);

}  // namespace quillon
