// quillon-cli --scan: explains every code in a text, a log above all.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"

namespace quillon {

struct ScanRequest {
  std::vector<std::string> files;  // none, or "-": standard input
  bool json = false;
  bool summary = false;      // each distinct code once, most frequent first
  bool color = false;        // of the text output
  std::string databaseName;  // as the line that says the database failed names it
  // Setup's extend codes, and with documentation on, its remedies and bug-check parameters.
  const DocumentationRows* documentation = nullptr;
  bool withDocumentation = false;
};

// Returns 0 when some code was found, 1 when none was, 2 when a file could not be read (the
// others are still scanned) or the database failed (the scan ends there).
int RunScan(const ScanRequest& request, MessageSource& messages, DefineRows& defines,
            ByteSource& input, std::ostream& out, std::ostream& err);

}  // namespace quillon
