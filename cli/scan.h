// quillon-cli --scan: explains every code in the files, folders and standard input it is given.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cli/file_pieces.h"
#include "cli/run_parts.h"
#include "cli/scan_inputs.h"
#include "core/byte_source.h"
#include "core/output_format.h"
#include "core/scan.h"

namespace quillon {

struct ScanRequest {
  std::vector<std::string> files;  // none, or "-": standard input; a folder: the files under it
  ScanLayout layout = ScanLayout::Lines;
  unsigned jobs = 0;  // files scanned at once; 0: one per core
  // A regular file of two pieces or more is scanned by several workers at once (see
  // file_pieces.h); 0: never.
  std::size_t pieceSize = kScanPieceSize;
};

// Returns 0 when some code was found, 1 when none was, 2 when a file could not be read (the
// others are still scanned) or the database failed (the scan ends there).
int RunScan(const ScanRequest& request, RunTables& tables, const RunOutput& output,
            ByteSource& input);

// What became of one input.
struct InputOutcome {
  bool found = false;
  bool binary = false;  // under a folder, and left unread
  std::string problem;  // it could not be read (all or part): one line, said as trouble
  std::string note;     // one line said, but no trouble
};

// The writer's text on its way to out, flushed at once.
EmitText EmitTo(std::ostream& out);

// Opens inputs, one after another, for the core's scanner, which remembers the answers to the
// codes it met.
class InputScanner {
 public:
  // setup names the extend codes of setup's pairs; null: a pair is only its result code.
  // known: the codes the tables may know (null: every code is asked).
  InputScanner(const NameSet& names, AskAnswer ask, const SetupTables* setup = nullptr,
               const KnownCodes* known = nullptr)
      : scanner_(names, std::move(ask), setup, known) {}

  // Scans input into writer (whose StartFile the caller called), writing out the writer's text
  // before each wait for input. The scan of an input ends early when the tables fail: the
  // caller asks them.
  InputOutcome Scan(const ScanInput& input, ByteSource& standardInput, ScanWriter& writer,
                    std::ostream& out);

  // Scans a piece of a file cut at line ends (see file_pieces.h): source reads its bytes, start
  // says where they are in the file.
  InputOutcome ScanPiece(const ScanInput& input, ByteSource& source, TextStart start,
                         ScanWriter& writer, std::ostream& out);

  // See Scanner::ReadInChunksOf and NextSpace.
  void ReadInChunksOf(std::size_t size) { scanner_.ReadInChunksOf(size); }
  std::span<char> NextSpace() { return scanner_.NextSpace(); }

  // From now on each input's next piece is read on a thread of its own while one is scanned,
  // where the platform has threads: for a scan that has the other cores to itself.
  void ReadAheadOnAThread();

 private:
  Scanner scanner_;
  std::unique_ptr<ReadAhead> ahead_;  // null: each piece is read as the one before is done
};

}  // namespace quillon
