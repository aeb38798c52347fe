#include "cli/scan.h"
#include "cli/file_source.h"

#include <memory>
#include <ostream>
#include <vector>

#include "cli/system_reason.h"
#include "core/answers.h"
#include "core/report.h"
#include "core/scan.h"
#include "core/scan_writers.h"
#include "core/terminal_text.h"
#include "core/word_reading.h"

namespace quillon {

int RunScan(const ScanRequest& request, RunTables& tables, const RunOutput& output,
            ByteSource& input) {
  DefineRows& defines = tables.defines;
  std::ostream& out = output.out;
  std::ostream& err = output.err;
  const auto databaseFailed = [&defines, &tables, &err] {
    err << DatabaseFailureLine(tables.databaseName, defines);
    return 2;
  };
  defines.IndexValues();
  const std::vector<std::string> allNames = defines.AllNames();
  if (defines.Failure()) {
    return databaseFailed();
  }
  const NameSet names(allNames.begin(), allNames.end());
  const std::unique_ptr<ScanWriter> writer = output.writer.Scan(request.layout);
  Scanner scanner(names, [&tables](const Reading& reading) -> std::optional<ReadingAnswer> {
    ReadingAnswer answer = Answer(reading, tables.messages, tables.defines);
    if (tables.defines.Failure()) {
      return std::nullopt;
    }
    return answer;
  });
  // Each piece of output goes to the reader at once: a scan of a pipe explains each line as
  // soon as it is whole.
  const EmitText emit = [&out](std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
  };
  std::vector<std::string> files = request.files;
  if (files.empty()) {
    files.push_back("-");
  }
  // Lines are named by file only when there are several.
  const bool nameFiles = files.size() > 1;
  bool unreadable = false;
  const auto unreadableFile = [&](const std::string& name, int error) {
    writer->Flush(emit);
    err << "quillon-cli: cannot read " << name << ": " << SystemReason(error) << '\n';
    unreadable = true;
  };
  for (const std::string& file : files) {
    writer->StartFile(nameFiles ? file : std::string());
    std::unique_ptr<ByteSource> opened;
    int error = 0;
    if (file != "-") {
      opened = OpenFileSource(file, error);
      if (!opened) {
        unreadableFile(TerminalText(file), error);
        continue;
      }
    }
    ByteSource& source = opened ? *opened : input;
    const ScanEnd end = scanner.Scan(source, *writer, emit);
    if (end == ScanEnd::TablesFailed) {
      writer->Flush(emit);
      return databaseFailed();
    }
    if (source.Failed()) {
      unreadableFile(opened ? TerminalText(file) : "standard input", source.ErrorNumber());
    }
  }
  writer->Finish();
  writer->Flush(emit);
  if (unreadable) {
    return 2;
  }
  return scanner.FoundAny() ? 0 : 1;
}

}  // namespace quillon
