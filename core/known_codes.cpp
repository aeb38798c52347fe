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
  // The sorted lists walked side by side, each value taken in order into runs of consecutive
  // ones: a range per run, and no merged copy of the lists (fresh memory is what a scan's
  // start pays most for).
  std::vector<std::uint32_t> documented;
  if (documentation != nullptr) {
    documented = documentation->DocumentedValues();
    SortValues(documented);
  }
  struct Cursor {
    std::vector<std::uint32_t>::const_iterator at;
    std::vector<std::uint32_t>::const_iterator end;
  };
  std::vector<Cursor> lists = {{documented.begin(), documented.end()}};
  if (const DefineIndex* index = defines.Index()) {
    for (const ErrorType type : kErrorTypes) {
      lists.push_back({index->Values(type).begin(), index->Values(type).end()});
    }
  }
  std::vector<ValueRange> ranges = std::move(messageIds);
  const std::size_t idBlocks = ranges.size();
  for (;;) {
    Cursor* least = nullptr;
    for (Cursor& list : lists) {
      if (list.at != list.end && (least == nullptr || *list.at < *least->at)) {
        least = &list;
      }
    }
    if (least == nullptr) {
      break;
    }
    const std::uint32_t value = *least->at++;
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

ScanTables ReadScanTables(DefineRows& defines, const DocumentationRows* documentation,
                          std::optional<std::vector<ValueRange>> messageIds) {
  // The values' index without the names: the scan reads its names by their hashes.
  defines.IndexValues(DefineRows::IndexedNames::Left);
  ScanTables tables{KnownNames(defines), std::nullopt};
  if (messageIds && !defines.Failure()) {
    tables.known.emplace(KnownCodesOf(std::move(*messageIds), defines, documentation));
  }
  return tables;
}

}  // namespace quillon
