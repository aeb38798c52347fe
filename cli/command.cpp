#include "cli/command.h"

#include <algorithm>
#include <cerrno>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/line_reader.h"
#include "cli/message_choice.h"
#include "cli/run_parts.h"
#include "cli/scan.h"
#include "cli/system_reason.h"
#include "cli/text_search.h"
#include "core/answers.h"
#include "core/documentation.h"
#include "core/documented_search.h"
#include "core/output_writer.h"
#include "core/query_answers.h"
#include "core/readings.h"
#include "core/report.h"
#include "core/terminal_text.h"
#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/language_names.h"

namespace quillon {

namespace {

void Flush(std::string& buffer, std::ostream& out) {
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  buffer.clear();
}

int RunNameSearch(std::string_view part, const RunTables& tables, const RunOutput& output) {
  const std::vector<DefineRow> found = tables.defines.SearchNames(part);
  if (tables.defines.Failure()) {
    output.err << DatabaseFailureLine(tables.databaseName, tables.defines);
    return 2;
  }
  std::string buffer;
  output.writer.Defines(buffer, found);
  Flush(buffer, output.out);
  return found.empty() ? 1 : 0;
}

int RunTextSearch(std::string_view text, FileMessageSource* files, const RunTables& tables,
                  const RunOutput& output) {
  if (files == nullptr && tables.documentation == nullptr) {
    output.err << "quillon-cli: --search-text needs message tables to read (--windows DIR, "
                  "--wine or --module FILE)\n";
    return 2;
  }
  std::vector<KindAnswer> found;
  if (files != nullptr) {
    found = SearchDescriptions(*files, tables.defines, text);
  }
  if (tables.documentation != nullptr) {
    AddDocumentedFinds(found, *tables.documentation, tables.messages, tables.defines,
                       TrimSpace(text));
  }
  if (tables.defines.Failure()) {
    output.err << DatabaseFailureLine(tables.databaseName, tables.defines);
    return 2;
  }
  std::string buffer;
  output.writer.Descriptions(buffer, found);
  Flush(buffer, output.out);
  return found.empty() ? 1 : 0;
}

class QueryRun {
 public:
  QueryRun(RunTables& tables, const RunOutput& output)
      : answers_(tables.messages, tables.defines, tables.documentation, tables.setupRows),
        defines_(tables.defines),
        databaseName_(tables.databaseName),
        writer_(output.writer),
        out_(output.out),
        err_(output.err) {}

  void Ask(const std::string& query) {
    const QueryOutcome outcome = answers_.Ask(query);
    // An answer read from a failing database may lack what the failed statement would have
    // found: none is written, and no query after it is asked.
    if (outcome.tablesFailed) {
      WriteOut();
      err_ << DatabaseFailureLine(databaseName_, defines_);
      status_ = 2;
      stopped_ = true;
      return;
    }
    if (outcome.answers.empty()) {
      status_ = 2;
      if (!writer_.Rejection(buffer_, query, outcome.rejection)) {
        WriteOut();
        err_ << "quillon-cli: " << TerminalText(query) << ": " << OnOneLine(outcome.rejection)
             << '\n';
      }
      return;
    }
    const std::vector<ReadingAnswer>& answers = outcome.answers;
    bool found = false;
    for (const ReadingAnswer& answer : answers) {
      found = found || !answer.matches.empty();
      writer_.Answer(buffer_, query, answer);
    }
    if (!found && status_ == 0) {
      status_ = 1;
    }
    if (buffer_.size() >= kOutputFlushSize) {
      Flush(buffer_, out_);
    }
  }

  void Trouble(const std::string& message) {
    WriteOut();
    err_ << "quillon-cli: " << message << '\n';
    status_ = 2;
  }

  // What is answered so far, on its way to the reader.
  void WriteOut() {
    Flush(buffer_, out_);
    out_.flush();
  }

  int Status() const { return status_; }
  // True once the database failed: nothing more is asked.
  bool Stopped() const { return stopped_; }

 private:
  QueryAnswers answers_;
  const DefineRows& defines_;
  const std::string& databaseName_;
  const OutputWriter& writer_;
  std::ostream& out_;
  std::ostream& err_;
  std::string buffer_;
  int status_ = 0;
  bool stopped_ = false;
};

// Queries from standard input, one per line. Blank lines are no queries; a line's surrounding
// blanks (a CR from a Windows file) go, and a byte-order mark before the first. Answers are written
// out before each wait for input, so a terminal's queries are answered one by one.
int RunInputQueries(QueryRun& run, ByteSource& input) {
  LineReader lines(input);
  std::string line;
  while (!run.Stopped()) {
    const LineReader::Status status = lines.Next(line, [&run] { run.WriteOut(); });
    if (status == LineReader::Status::End) {
      break;
    }
    if (status == LineReader::Status::TooLong) {
      run.Trouble("line " + std::to_string(lines.Number()) + " of standard input is longer than " +
                  std::to_string(kQueryLineLimit) + " bytes; not read as a query");
      continue;
    }
    const std::string_view text =
        TrimSpace(lines.Number() == 1 ? WithoutByteOrderMark(line) : std::string_view(line));
    if (!text.empty()) {
      run.Ask(std::string(text));
    }
  }
  if (input.Failed()) {
    run.Trouble("cannot read standard input: " + SystemReason(input.ErrorNumber()));
  }
  run.WriteOut();
  return run.Status();
}

// Where queries typed or piped come from.
struct QueryInput {
  ByteSource& bytes;
  bool isTerminal = false;
  std::string_view endKeys;  // what ends typed input at a terminal
};

int RunQueries(const std::vector<std::string>& queries, RunTables& tables, const RunOutput& output,
               const QueryInput& input) {
  QueryRun run(tables, output);
  if (!queries.empty()) {
    // "-" stands for the lines of standard input, read where it stands (once).
    bool inputRead = false;
    for (const std::string& query : queries) {
      if (run.Stopped()) {
        break;
      }
      if (query != "-") {
        run.Ask(std::string(TrimSpace(query)));
      } else if (!inputRead) {
        inputRead = true;
        RunInputQueries(run, input.bytes);
      }
    }
    run.WriteOut();
    return run.Status();
  }
  if (input.isTerminal) {
    output.err << "quillon-cli: reading queries from the terminal, one per line; " << input.endKeys
               << " ends them\n";
  }
  return RunInputQueries(run, input.bytes);
}

// The database a run reads, opened and checked; without one (none found, or one that cannot be
// used when the user named none) rows that find nothing.
struct ChosenDatabase {
  std::unique_ptr<DefineRows> defines;
  std::string name;  // escaped for a terminal
};

// Nothing when the database the user named cannot be used: that is trouble, said on err.
// Checked before it is asked: a file that is no definitions database is named with the
// reason, and a view with endless rows is never asked.
std::optional<ChosenDatabase> ChooseDatabase(const std::optional<std::string>& option,
                                             const std::filesystem::path& programPath,
                                             std::ostream& err) {
  OpenedDefines opened =
      OpenDefines(CommandDefinePlaces(option, programPath), DefineCheck::FileAndSchema);
  const std::string name = TerminalText(opened.path.string());
  if (opened.problem && option) {
    err << "quillon-cli: cannot use the database " << name << ": " << TerminalText(*opened.problem)
        << '\n';
    return std::nullopt;
  }
  if (opened.path.empty()) {
    err << "quillon-cli: no definitions database found; descriptions only, no names\n";
  } else if (opened.problem) {
    err << "quillon-cli: cannot use the database " << name << ": " << TerminalText(*opened.problem)
        << "; descriptions only, no names\n";
  }
  return ChosenDatabase{std::move(opened.rows), name};
}

}  // namespace

int RunCommand(const Options& options, CommandPlatform platform, std::istream& in,
               std::ostream& out, std::ostream& err) {
  std::optional<ChosenDatabase> database =
      ChooseDatabase(options.database, platform.programPath, err);
  if (!database) {
    return 2;
  }
  const TextStyle style{UseColor(options.color, platform.outputIsTerminal, platform.noColor)};
  const std::unique_ptr<OutputWriter> writer = MakeOutputWriter(options.format, style);
  const RunOutput output{*writer, out, err};
  if (options.search) {
    NoMessages none;
    return RunNameSearch(*options.search,
                         {none, *database->defines, database->name, nullptr, nullptr}, output);
  }
  if (!CheckMessageOptions(options, err)) {
    return 2;
  }
  const Language language =
      FindLanguage(options.language.value_or(platform.language)).value_or(kUsEnglish);
  const ChosenMessages messages = ChooseMessages(
      options, {std::move(platform.ownMessages), platform.windowsDirectory}, language, err);
  // The documentation's rows, for setup's extend codes even when its texts are left out.
  const DocumentationRows documentation(database->defines->Connection(), language.name);
  const bool documented = options.documentation && documentation.HasDescriptions();
  DocumentedMessages withDocumentation(*messages.source, documentation);
  MessageSource& source =
      documented ? static_cast<MessageSource&>(withDocumentation) : *messages.source;
  RunTables tables{source,
                   *database->defines,
                   database->name,
                   documented ? &documentation : nullptr,
                   &documentation,
                   messages.files,
                   messages.platformTables};
  if (options.searchText) {
    return RunTextSearch(*options.searchText, messages.files, tables, output);
  }
  StreamSource stream(in);
  ByteSource& input = platform.input ? *platform.input : stream;
  const int status =
      options.scan
          ? RunScan({options.queries, options.scanLayout, options.jobs}, tables, output, input)
          : RunQueries(options.queries, tables, output,
                       {input, platform.inputIsTerminal, platform.endOfInputKeys});
  if (platform.finished) {
    platform.finished(status);
  }
  return status;
}

}  // namespace quillon
