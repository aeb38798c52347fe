#include "core/known_codes.h"

#include <algorithm>
#include <iterator>

#include "base/code_bits.h"

namespace quillon {

KnownCodes::KnownCodes(std::vector<ValueRange> ranges) : highWords_(std::size_t{1} << 16) {
  std::sort(ranges.begin(), ranges.end(),
            [](const ValueRange& a, const ValueRange& b) { return a.first < b.first; });
  for (const ValueRange& range : ranges) {
    if (range.last < range.first) {
      continue;
    }
    if (!ranges_.empty() && range.first <= ranges_.back().last) {
      ranges_.back().last = std::max(ranges_.back().last, range.last);
    } else {
      ranges_.push_back(range);
    }
  }
  for (const ValueRange& range : ranges_) {
    for (std::uint32_t high = range.first >> 16; high <= range.last >> 16; ++high) {
      highWords_[high] = true;
    }
  }
}

bool KnownCodes::Holds(std::uint32_t value) const {
  if (!highWords_[value >> 16]) {
    return false;
  }
  const auto after =
      std::upper_bound(ranges_.begin(), ranges_.end(), value,
                       [](std::uint32_t v, const ValueRange& range) { return v < range.first; });
  return after != ranges_.begin() && std::prev(after)->last >= value;
}

bool KnownCodes::MayKnow(std::uint32_t value) const {
  // The facility without the N bit and the two above it, so that this holds wherever a lookup
  // reads the low word.
  const bool win32Facility = ((value >> 16) & 0x7FF) == kWin32Facility;
  return Holds(value) || Holds(value & ~kNtStatusBit) ||
         (win32Facility && Holds(CodeLowWord(value)));
}

KnownCodes KnownCodesOf(std::vector<ValueRange> messageIds, const DefineRows& defines,
                        const DocumentationRows* documentation) {
  // The single values merged in order (each kind's come sorted), then runs of consecutive
  // ones as one range: a sort of a few ranges instead of one per value.
  std::vector<std::uint32_t> values;
  if (documentation != nullptr) {
    values = documentation->DocumentedValues();
    SortValues(values);
  }
  if (const DefineIndex* index = defines.Index()) {
    std::vector<std::uint32_t> merged;
    for (const ErrorType type : kErrorTypes) {
      const std::vector<std::uint32_t>& kind = index->Values(type);
      merged.resize(values.size() + kind.size());
      std::merge(values.begin(), values.end(), kind.begin(), kind.end(), merged.begin());
      values.swap(merged);
    }
  }
  std::vector<ValueRange> ranges = std::move(messageIds);
  const std::size_t idBlocks = ranges.size();
  for (const std::uint32_t value : values) {
    if (ranges.size() > idBlocks && value - ranges.back().last <= 1) {
      ranges.back().last = value;
    } else {
      ranges.push_back({value, value});
    }
  }
  return KnownCodes(std::move(ranges));
}

NameSet KnownNames(const DefineRows& defines) {
  return NameSet(defines.NameHashes());
}

}  // namespace quillon
