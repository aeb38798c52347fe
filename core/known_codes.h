// The codes some table may know, so that the scan tells a number nothing knows without asking
// the tables: most numbers a log holds (addresses, counts, ids) are such, and each would cost a
// lookup in every kind's tables.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/name_set.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"

namespace quillon {

struct ValueRange {
  std::uint32_t first = 0;
  std::uint32_t last = 0;  // inclusive
};

class KnownCodes {
 public:
  // ranges: every code any table may answer for (the values of the definitions, the ids of the
  // message tables, the codes the documentation describes), in any order, overlaps allowed.
  explicit KnownCodes(std::vector<ValueRange> ranges);

  // False only when no table can know value in any of its readings: a lookup asks for the
  // value itself, for it without the N bit (HRESULT_FROM_NT, a bug check's _M form), and for the
  // low word of a value of facility 7 (HRESULT_FROM_WIN32, NTSTATUS_FROM_WIN32, the system
  // table's reading of a failure of that facility).
  bool MayKnow(std::uint32_t value) const;

 private:
  bool Holds(std::uint32_t value) const;

  std::vector<ValueRange> ranges_;  // sorted, apart
  std::vector<bool> highWords_;     // the high words of the codes: most values stop there
};

// The ids of the message tables' blocks, the values of the definitions (their index read) and
// the codes the documentation describes (when its texts are asked).
KnownCodes KnownCodesOf(std::vector<ValueRange> messageIds, const DefineRows& defines,
                        const DocumentationRows* documentation);

// Every kind's names, as the rows hold them (for the scan: a name is found as written).
NameSet KnownNames(const DefineRows& defines);

// What a scan reads of the tables before its first line: the names it looks for and, unless
// messageIds is absent (the platform's own tables answer, and may know any code), the codes
// the tables may know. The caller asks defines.Failure() after.
struct ScanTables {
  NameSet names;
  std::optional<KnownCodes> known;
};
ScanTables ReadScanTables(DefineRows& defines, const DocumentationRows* documentation,
                          std::optional<std::vector<ValueRange>> messageIds);

}  // namespace quillon
