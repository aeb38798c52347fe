// quillon-cli --scan: explains every code in a text, a log above all.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cli/scan_inputs.h"
#include "core/answers.h"
#include "core/byte_source.h"
#include "core/scan_writers.h"
#include "core/word_reading.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"

namespace quillon {

struct ScanRequest {
  std::vector<std::string> files;  // none, or "-": standard input; a folder: the files under it
  bool json = false;
  bool summary = false;                // each distinct code once, most frequent first
  bool color = false;                  // of the text output
  std::string databaseName;            // as the line that says the database failed names it
  unsigned jobs = 0;                   // files scanned at once; 0: one per core
  const SetupTables* setup = nullptr;  // setup's extend codes, to name them
  // The documentation's remedies and bug-check parameters; null: none.
  const DocumentationRows* documentation = nullptr;
};

// Returns 0 when some code was found, 1 when none was, 2 when a file could not be read (the
// others are still scanned) or the database failed (the scan ends there).
int RunScan(const ScanRequest& request, MessageSource& messages, DefineRows& defines,
            ByteSource& input, std::ostream& out, std::ostream& err);

// A code's whole answer from the tables.
using AskAnswer = std::function<ReadingAnswer(const Reading&)>;

// What became of one input.
struct InputOutcome {
  bool found = false;
  bool binary = false;  // under a folder, and left unread
  std::string problem;  // it could not be read (all or part): one line, said as trouble
  std::string note;     // one line said, but no trouble
};

class AnswerCache;

// Scans inputs one after another, remembering the answers to the codes it met.
class InputScanner {
 public:
  // setup names the extend codes of setup's pairs; null: a pair is only its result code.
  InputScanner(const NameSet& names, AskAnswer ask, bool color, const SetupTables* setup = nullptr);
  ~InputScanner();
  InputScanner(const InputScanner&) = delete;
  InputScanner& operator=(const InputScanner&) = delete;

  // Scans input into writer (whose StartFile the caller called), writing out the writer's text
  // before each wait for input.
  InputOutcome Scan(const ScanInput& input, ByteSource& standardInput, ScanWriter& writer,
                    std::ostream& out);

 private:
  const NameSet& names_;
  std::unique_ptr<AnswerCache> answers_;
};

}  // namespace quillon
