#include "lookup/define_source.h"

namespace quillon {

std::vector<DefineMatch> SearchDefine(const DefineSource& defines, std::string_view name) {
  std::vector<DefineMatch> matches;
  for (const ErrorType type : kErrorTypes) {
    if (const std::optional<std::int32_t> code = defines.ValueOfName(type, name)) {
      matches.push_back({type, *code});
    }
  }
  return matches;
}

}  // namespace quillon
