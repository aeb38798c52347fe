// The codes that the generated defines.db3 holds, per kind, as the build listed them beside the
// driver ("oracle-codes.txt": one "<table> <ErrNum>" per line).
#pragma once

#include <cstdint>
#include <set>
#include <utility>

#include "driver/query_steps_win.h"

namespace e2e {

class DatabaseCodes {
 public:
  // Reads the list; an empty set when it is missing.
  static DatabaseCodes Load();
  bool Empty() const { return codes_.empty(); }
  // Whether kind's table holds code (compared as 32-bit words, as the program asks).
  bool Holds(Kind kind, std::uint32_t code) const { return codes_.count({kind, code}) != 0; }

 private:
  std::set<std::pair<Kind, std::uint32_t>> codes_;
};

}  // namespace e2e
