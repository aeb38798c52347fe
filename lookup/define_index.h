// Every kind's values and names held in memory, so that a value or a name that no row holds is
// known absent without asking the database: worth its reading for a run of very many lookups,
// most of which find nothing (a log's words), not for a few.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/error_type.h"
#include "query/word_set.h"

namespace quillon {

template <typename T>
using PerKind = std::array<T, kErrorTypes.size()>;

// Sorts values; in linear time when they come in a few ascending runs, as a table's rows
// written in order do (signed order is two runs of unsigned).
void SortValues(std::vector<std::uint32_t>& values);

class DefineIndex {
 public:
  // Each kind's values as its rows hold them, in any order, repeats allowed; and its names,
  // asked without regard to ASCII case (WordCase::IgnoreAscii), as the name column's collation
  // compares them; no names: every name may be held.
  DefineIndex(PerKind<std::vector<std::uint32_t>> values, std::optional<PerKind<WordSet>> names);

  bool HoldsValue(ErrorType type, std::uint32_t value) const;
  // The kind's values, sorted.
  const std::vector<std::uint32_t>& Values(ErrorType type) const {
    return values_[static_cast<std::size_t>(type)];
  }
  bool HoldsName(ErrorType type, std::string_view name) const;

 private:
  PerKind<std::vector<std::uint32_t>> values_;  // sorted
  std::optional<PerKind<WordSet>> names_;
};

}  // namespace quillon
