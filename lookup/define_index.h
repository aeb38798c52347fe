// Every kind's values and names held in memory, so that a value or a name that no row holds is
// known absent without asking the database: worth its reading for a run of very many lookups,
// most of which find nothing (a log's words), not for a few.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"

namespace quillon {

template <typename T>
using PerKind = std::array<std::vector<T>, kErrorTypes.size()>;

class DefineIndex {
 public:
  // Each kind's values and names as its rows hold them, in any order, repeats allowed.
  DefineIndex(PerKind<std::uint32_t> values, PerKind<std::string> names);

  bool HoldsValue(ErrorType type, std::uint32_t value) const;
  // The kind's values, sorted.
  const std::vector<std::uint32_t>& Values(ErrorType type) const {
    return values_[static_cast<std::size_t>(type)];
  }
  // Names compare without regard to ASCII case, as the name column's collation does.
  bool HoldsName(ErrorType type, std::string_view name) const;

 private:
  PerKind<std::uint32_t> values_;  // sorted
  PerKind<std::string> names_;     // in upper case, sorted
};

}  // namespace quillon
