#include "lookup/define_index.h"

#include <algorithm>
#include <utility>

namespace quillon {

namespace {

std::size_t Slot(ErrorType type) {
  return static_cast<std::size_t>(type);
}

}  // namespace

DefineIndex::DefineIndex(PerKind<std::vector<std::uint32_t>> values, PerKind<WordSet> names)
    : values_(std::move(values)), names_(std::move(names)) {
  for (std::vector<std::uint32_t>& kind : values_) {
    std::sort(kind.begin(), kind.end());
  }
}

bool DefineIndex::HoldsValue(ErrorType type, std::uint32_t value) const {
  const std::vector<std::uint32_t>& values = values_[Slot(type)];
  return std::binary_search(values.begin(), values.end(), value);
}

bool DefineIndex::HoldsName(ErrorType type, std::string_view name) const {
  return names_[Slot(type)].Contains(name);
}

}  // namespace quillon
