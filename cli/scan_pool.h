// Scanning several files at once, one worker per core, with the output of one scan after another.
#pragma once

#include <functional>
#include <iosfwd>
#include <vector>

#include "cli/scan.h"
#include "cli/scan_inputs.h"
#include "core/scan_writers.h"
#include "core/word_reading.h"

namespace quillon {

struct ParallelScan {
  const std::vector<ScanInput>& inputs;
  bool nameFiles;
  const ScanRequest& request;   // its layout and its jobs
  const OutputWriter& writers;  // of the run's format, for each worker's scan writer
  const NameSet& names;
  const AskAnswer& ask;      // not thread-safe: asked by one worker at a time
  const SetupTables* setup;  // read only: every worker's
  const KnownCodes* known;   // read only; null: every code is asked
};

using ReportInput = std::function<void(const ScanInput&, const InputOutcome&)>;

// Scans the inputs with several workers and writes to out (and through writer, which keeps a
// summary) what scanning them one after another would, byte for byte; report runs on the
// calling thread for each input, in order, once its output is written. A large regular file is
// cut at line ends into pieces that the workers scan as they scan files (see file_pieces.h). A
// worker hands its output over a megabyte at a time, and holds at most 8 MiB of a piece or file
// not yet written out in memory, the rest in a temporary file. Returns false, having done
// nothing, when one worker would do: one job, a single small or compressed input, standard input
// among them, or a platform without threads.
bool ScanInParallel(const ParallelScan& scan, ScanWriter& writer, std::ostream& out,
                    const ReportInput& report);

// The number of workers when none is asked for: one per core.
unsigned DefaultScanJobs();

// The number of workers request asks for, or the default.
inline unsigned ScanJobs(const ScanRequest& request) {
  return request.jobs != 0 ? request.jobs : DefaultScanJobs();
}

}  // namespace quillon
