#include "cli/scan.h"

#include "cli/file_source.h"
#include "cli/read_ahead.h"

#include <memory>
#include <ostream>
#include <vector>

#include "cli/scan_inputs.h"
#include "cli/scan_pool.h"
#include "cli/system_reason.h"
#include "core/answers.h"
#include "core/known_codes.h"
#include "core/query_answers.h"
#include "core/report.h"
#include "core/scan_writers.h"
#include "core/terminal_text.h"
#include "core/word_reading.h"
#include "lookup/file_message_source.h"

namespace quillon {

namespace {

InputOutcome Outcome(bool found, std::string problem = {}) {
  InputOutcome outcome;
  outcome.found = found;
  outcome.problem = std::move(problem);
  return outcome;
}

}  // namespace

EmitText EmitTo(std::ostream& out) {
  return [&out](std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
  };
}

InputOutcome InputScanner::Scan(const ScanInput& input, ByteSource& standardInput,
                                ScanWriter& writer, std::ostream& out) {
  using Kind = ScanInput::Kind;
  const std::string shown = TerminalText(input.path);
  if (input.kind == Kind::Unreadable) {
    return Outcome(false, "cannot read " + shown + ": " + input.reason);
  }
  if (input.kind == Kind::LinkLoop) {
    InputOutcome loop;
    loop.note = shown + " leads back to " + TerminalText(input.reason) +
                ", a folder it is in; not followed";
    return loop;
  }
  if (input.kind == Kind::StandardInput) {
    ScanInputSource source(standardInput);
    scanner_.Scan(source, writer, EmitTo(out), ahead_.get());
    if (source.Failed()) {
      return Outcome(scanner_.FoundAny(), "cannot read standard input: " + source.FailureReason());
    }
    return Outcome(scanner_.FoundAny());
  }
  if (IsStandardOutput(input.path)) {
    InputOutcome output;
    output.note = shown + " is where the findings are written; not read";
    return output;
  }
  int error = 0;
  const std::unique_ptr<ByteSource> raw = OpenFileSource(input.path, error);
  if (!raw) {
    return Outcome(false, "cannot read " + shown + ": " + SystemReason(error));
  }
  ScanInputSource source(*raw);
  if (input.inFolder && source.LooksBinary()) {
    InputOutcome binary;
    binary.binary = true;
    return binary;
  }
  scanner_.Scan(source, writer, EmitTo(out), ahead_.get());
  if (source.Failed()) {
    return Outcome(scanner_.FoundAny(), "cannot read " + shown + ": " + source.FailureReason());
  }
  return Outcome(scanner_.FoundAny());
}

InputOutcome InputScanner::ScanPiece(const ScanInput& input, ByteSource& source, TextStart start,
                                     ScanWriter& writer, std::ostream& out) {
  scanner_.Scan(source, writer, EmitTo(out), nullptr, start);
  if (source.Failed()) {
    return Outcome(scanner_.FoundAny(), "cannot read " + TerminalText(input.path) + ": " +
                                            SystemReason(source.ErrorNumber()));
  }
  return Outcome(scanner_.FoundAny());
}

void InputScanner::ReadAheadOnAThread() {
  if (!ahead_) {
    ahead_ = MakeThreadReadAhead();
  }
}

int RunScan(const ScanRequest& request, RunTables& tables, const RunOutput& output,
            ByteSource& input) {
  MessageSource& messages = tables.messages;
  DefineRows& defines = tables.defines;
  std::ostream& out = output.out;
  std::ostream& err = output.err;
  const auto databaseFailed = [&defines, &tables, &err] {
    err << DatabaseFailureLine(tables.databaseName, defines);
    return 2;
  };
  // Unless the platform's own tables answer, every code the tables may know, so that a number
  // no table knows (most of a log's) is not asked of them.
  std::optional<std::vector<ValueRange>> messageIds;
  if (!tables.platformTables) {
    messageIds.emplace();
    if (tables.files != nullptr) {
      for (const auto& [low, high] : tables.files->AllIdBlocks()) {
        messageIds->push_back({low, high});
      }
    }
  }
  const DocumentationRows* documentation = tables.documentation;
  const ScanTables scanTables = ReadScanTables(defines, documentation, std::move(messageIds));
  if (defines.Failure()) {
    return databaseFailed();
  }
  const NameSet& names = scanTables.names;
  // A database that fails mid-scan answers nothing more: an answer read from it may be
  // incomplete. The scan then ends, and says why.
  const AskAnswer ask = DocumentedAsk(messages, defines, documentation);
  const KnownCodes* const knownCodes = scanTables.known ? &*scanTables.known : nullptr;
  // Setup's tables read whole once, for every worker to name the extend codes it meets.
  const SetupTables setup = tables.setupRows != nullptr
                                ? tables.setupRows->ReadSetupTables(documentation != nullptr)
                                : SetupTables{};
  std::vector<std::string> files = request.files;
  if (files.empty()) {
    files.push_back("-");
  }
  const ScanInputs listed = ListScanInputs(files);
  // Lines are named by file only when there may be several.
  const bool nameFiles = files.size() > 1 || listed.anyFolder;
  const std::unique_ptr<ScanWriter> writer = output.writer.Scan(request.layout);
  const EmitText emit = EmitTo(out);
  bool found = false;
  bool unreadable = false;
  std::vector<std::string> skipped;
  const auto report = [&](const ScanInput& scanned, const InputOutcome& outcome) {
    found = found || outcome.found;
    if (outcome.binary) {
      skipped.push_back(scanned.path);
    }
    if (!outcome.problem.empty() || !outcome.note.empty()) {
      writer->Flush(emit);
      err << "quillon-cli: " << outcome.problem << outcome.note << '\n';
      unreadable = unreadable || !outcome.problem.empty();
    }
  };
  if (!ScanInParallel(
          {listed.inputs, nameFiles, request, output.writer, names, ask, &setup, knownCodes},
          *writer, out, report)) {
    InputScanner scanner(names, ask, &setup, knownCodes);
    // A second core, where the scan may have one, reads each file's next piece.
    if (ScanJobs(request) > 1) {
      scanner.ReadAheadOnAThread();
    }
    for (const ScanInput& scanned : listed.inputs) {
      writer->StartFile(nameFiles ? scanned.path : std::string());
      report(scanned, scanner.Scan(scanned, input, *writer, out));
      if (!out || defines.Failure()) {
        break;
      }
    }
  }
  if (defines.Failure()) {
    writer->Flush(emit);
    return databaseFailed();
  }
  writer->Finish();
  writer->Flush(emit);
  if (request.layout == ScanLayout::Summary) {
    std::string text;
    for (const std::string& path : skipped) {
      output.writer.SkippedFile(text, path);
    }
    emit(text);
  }
  if (unreadable) {
    return 2;
  }
  return found ? 0 : 1;
}

}  // namespace quillon
