#include "core/name_set.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "base/name_hash.h"

namespace quillon {

namespace {

std::vector<std::uint32_t> HashesOf(std::initializer_list<std::string_view> names) {
  std::vector<std::uint32_t> hashes;
  for (const std::string_view name : names) {
    hashes.push_back(NameHash(name));
  }
  return hashes;
}

}  // namespace

NameSet::NameSet(std::vector<std::uint32_t> hashes) : hashes_(std::move(hashes)) {
  // The database's come sorted: then no sort is needed.
  if (!std::is_sorted(hashes_.begin(), hashes_.end())) {
    std::sort(hashes_.begin(), hashes_.end());
  }
  hashes_.erase(std::unique(hashes_.begin(), hashes_.end()), hashes_.end());
  // About four hashes a bucket: a word is asked by a few compares in one cache line.
  bucketBits_ = static_cast<int>(std::bit_width(hashes_.size() / 4));
  buckets_.resize((std::size_t{1} << bucketBits_) + 1);
  std::size_t at = 0;
  for (std::size_t bucket = 0; bucket + 1 < buckets_.size(); ++bucket) {
    buckets_[bucket] = static_cast<std::uint32_t>(at);
    while (at < hashes_.size() && (hashes_[at] >> (31 - bucketBits_) >> 1) == bucket) {
      ++at;
    }
  }
  buckets_.back() = static_cast<std::uint32_t>(hashes_.size());
}

NameSet::NameSet(std::initializer_list<std::string_view> names) : NameSet(HashesOf(names)) {}

bool NameSet::Contains(std::string_view word) const {
  if (hashes_.empty()) {
    return false;
  }
  const std::uint32_t hash = NameHash(word);
  // Shifted in two steps: by 64 when no bits are taken would be undefined.
  const std::size_t bucket = static_cast<std::size_t>(hash >> (31 - bucketBits_) >> 1);
  const auto begin = hashes_.begin() + buckets_[bucket];
  const auto end = hashes_.begin() + buckets_[bucket + 1];
  return std::find(begin, end, hash) != end;
}

}  // namespace quillon
