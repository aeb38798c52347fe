// quillon-cli --scan: explains every code in a text, a log above all.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/run_parts.h"
#include "core/byte_source.h"
#include "core/output_format.h"

namespace quillon {

struct ScanRequest {
  std::vector<std::string> files;  // none, or "-": standard input
  ScanLayout layout = ScanLayout::Lines;
};

// Returns 0 when some code was found, 1 when none was, 2 when a file could not be read (the
// others are still scanned) or the database failed (the scan ends there).
int RunScan(const ScanRequest& request, RunTables& tables, const RunOutput& output,
            ByteSource& input);

}  // namespace quillon
