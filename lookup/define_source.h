// Define names and the codes they stand for, one table per kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"

namespace quillon {

class DefineSource {
 public:
  virtual ~DefineSource() = default;
  // The code that type's table holds for name (digits, upper-case letters and '_'), as the
  // table holds it; nothing when no row has the name.
  virtual std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const = 0;
  // The name that type's table holds for value: the first row's, "" when that row's name is
  // NULL, nothing when no row has the value.
  virtual std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const = 0;
};

struct DefineMatch {
  ErrorType type;
  std::int32_t code;  // as the table holds it, unreduced

  bool operator==(const DefineMatch&) const = default;
};

// For each kind in ErrorType order whose table holds name: its code.
std::vector<DefineMatch> SearchDefine(const DefineSource& defines, std::string_view name);

}  // namespace quillon
