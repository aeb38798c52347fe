#include "driver/database_codes_win.h"

#include <fstream>
#include <string>

#include "driver/program_copy_win.h"

namespace e2e {

DatabaseCodes DatabaseCodes::Load() {
  DatabaseCodes list;
  std::ifstream in(BesideDriver("oracle-codes.txt"));
  std::string table;
  for (long long code = 0; in >> table >> code;) {
    for (int kind = kWin32; kind <= kStop; ++kind) {
      if (table == kKindNames[static_cast<std::size_t>(kind)]) {
        list.codes_.insert({static_cast<Kind>(kind), static_cast<std::uint32_t>(code)});
      }
    }
  }
  return list;
}

}  // namespace e2e
