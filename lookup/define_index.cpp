#include "lookup/define_index.h"

#include <algorithm>
#include <utility>

namespace quillon {

namespace {

std::size_t Slot(ErrorType type) {
  return static_cast<std::size_t>(type);
}

}  // namespace

void SortValues(std::vector<std::uint32_t>& values) {
  // Each run merged into those before it: past a few runs a sort costs less.
  constexpr int kMostRuns = 8;
  std::vector<std::uint32_t>::iterator runEnd = std::is_sorted_until(values.begin(), values.end());
  for (int run = 1; runEnd != values.end(); ++run) {
    if (run == kMostRuns) {
      std::sort(values.begin(), values.end());
      return;
    }
    const auto next = std::is_sorted_until(runEnd, values.end());
    std::inplace_merge(values.begin(), runEnd, next);
    runEnd = next;
  }
}

DefineIndex::DefineIndex(PerKind<std::vector<std::uint32_t>> values,
                         std::optional<PerKind<WordSet>> names)
    : values_(std::move(values)), names_(std::move(names)) {
  for (std::vector<std::uint32_t>& kind : values_) {
    SortValues(kind);
  }
}

bool DefineIndex::HoldsValue(ErrorType type, std::uint32_t value) const {
  const std::vector<std::uint32_t>& values = values_[Slot(type)];
  return std::binary_search(values.begin(), values.end(), value);
}

bool DefineIndex::HoldsName(ErrorType type, std::string_view name) const {
  return !names_ || (*names_)[Slot(type)].Contains(name);
}

}  // namespace quillon
