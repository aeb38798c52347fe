// Finds the #define directives of a C header, the way the preprocessor sees their text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::make_defines {

struct MacroDefinition {
  std::string name;
  bool functionLike = false;  // "NAME(" with the parenthesis right after the name
  std::string body;           // replacement text without comments, blanks collapsed to one
  int line = 0;               // 1-based line on which the directive starts
  std::vector<std::string> parameters;  // of a function-like macro, blanks removed
};

// Every #define in text order, including those inside #if blocks: conditions are not
// evaluated, so a name may appear more than once. Continued lines are joined and comments
// dropped first; a directive that names no identifier is ignored.
std::vector<MacroDefinition> ScanDefines(std::string_view headerText);

}  // namespace quillon::make_defines
