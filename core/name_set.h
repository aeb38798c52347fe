// The define names a scan reads, held by their hashes (base/name_hash.h): made from the few
// pages of hashes the database stores, not from every name's row. A word whose hash a name
// shares without being that name (about one word in 250,000 of those that look like names)
// is asked of the tables, which find nothing for it: the scan's findings stay exact.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace quillon {

class NameSet {
 public:
  NameSet() = default;
  // hashes: NameHash of each name, in any order, repeats allowed.
  explicit NameSet(std::vector<std::uint32_t> hashes);
  NameSet(std::initializer_list<std::string_view> names);

  bool Contains(std::string_view word) const;
  std::size_t Size() const { return hashes_.size(); }

 private:
  std::vector<std::uint32_t> hashes_;  // sorted, distinct
  // Where the hashes of each value of their top bucketBits_ bits begin in hashes_, and the end.
  std::vector<std::uint32_t> buckets_;
  int bucketBits_ = 0;
};

}  // namespace quillon
