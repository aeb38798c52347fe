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
#include "core/bug_check_arguments.h"
#include "core/documentation.h"
#include "core/output_writer.h"
#include "core/readings.h"
#include "core/report.h"
#include "core/terminal_text.h"
#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/language_names.h"
#include "query/setup_pair.h"

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

// The codes whose documentation text holds the needle that the tables' search did not find,
// answered as a lookup answers them.
void AddDocumentedFinds(std::vector<KindAnswer>& found, const DocumentationRows& documentation,
                        MessageSource& source, const DefineRows& defines, std::string_view needle) {
  const std::size_t before = found.size();
  for (const DocumentedCodeRef& code : documentation.SearchTexts(needle)) {
    const auto same = [&code](const KindAnswer& match) {
      return match.type == code.type && match.value == code.value;
    };
    if (std::any_of(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(before), same)) {
      continue;
    }
    ReadingAnswer answer = Answer(Reading{ReadingKind::Hex, code.value, {}}, source, defines);
    for (KindAnswer& match : answer.matches) {
      if (same(match) && match.description) {
        found.push_back(std::move(match));
        break;
      }
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const KindAnswer& a, const KindAnswer& b) {
    return std::pair(a.type, a.value) < std::pair(b.type, b.value);
  });
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

// A query that is a bug check with its arguments, or setup's result and extend code, is read
// as the code it names; what it adds is kept beside the answer.
struct PastedQuery {
  QueryReadings readings;
  std::optional<BugCheckArguments> bugCheck;
  std::optional<SetupPair> pair;
};

PastedQuery ReadPastedQuery(std::string_view query) {
  if (std::optional<BugCheckArguments> bugCheck = ReadBugCheckArguments(query)) {
    return {{{Reading{ReadingKind::Hex, bugCheck->code, {}}}, {}}, bugCheck, std::nullopt};
  }
  if (std::optional<SetupPair> pair = ReadSetupPair(query)) {
    return {{{Reading{ReadingKind::Hex, pair->result, {}}}, {}}, std::nullopt, pair};
  }
  return {ReadQuery(query), std::nullopt, std::nullopt};
}

class QueryRun {
 public:
  QueryRun(RunTables& tables, const RunOutput& output)
      : messages_(tables.messages),
        defines_(tables.defines),
        documentation_(tables.documentation),
        setupRows_(tables.setupRows),
        databaseName_(tables.databaseName),
        writer_(output.writer),
        out_(output.out),
        err_(output.err) {}

  void Ask(const std::string& query) {
    // A long run of queries (a list fed on standard input) pays for reading the tables' values
    // and names once; then a code or name that no table holds costs no statement.
    if (++asked_ == kQueriesBeforeIndex) {
      defines_.IndexValues();
    }
    const PastedQuery pasted = ReadPastedQuery(query);
    const QueryReadings& readings = pasted.readings;
    if (readings.readings.empty()) {
      status_ = 2;
      if (!writer_.Rejection(buffer_, query, readings.rejection)) {
        WriteOut();
        err_ << "quillon-cli: " << TerminalText(query) << ": " << OnOneLine(readings.rejection)
             << '\n';
      }
      return;
    }
    std::vector<ReadingAnswer> answers;
    for (const Reading& reading : readings.readings) {
      answers.push_back(Answer(reading, messages_, defines_));
      AddPasted(pasted, answers.back());
    }
    // An answer read from a failing database may lack what the failed statement would have
    // found: none is written, and no query after it is asked.
    if (defines_.Failure()) {
      WriteOut();
      err_ << DatabaseFailureLine(databaseName_, defines_);
      status_ = 2;
      stopped_ = true;
      return;
    }
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
  // The documentation's part of the answer, and what was pasted with the code: a bug check's
  // arguments (the code is then only a bug check), setup's extend code.
  void AddPasted(const PastedQuery& pasted, ReadingAnswer& answer) {
    if (documentation_ != nullptr) {
      AddDocumentation(answer, *documentation_);
    }
    if (pasted.bugCheck) {
      std::erase_if(answer.matches,
                    [](const KindAnswer& match) { return match.type != ErrorType::Stop; });
      for (KindAnswer& match : answer.matches) {
        match.documentation.arguments = pasted.bugCheck->arguments;
      }
    }
    if (pasted.pair && setupRows_ != nullptr) {
      if (!setup_) {
        setup_ = setupRows_->ReadSetupTables(documentation_ != nullptr);
      }
      answer.documentation.extend = ReadExtend(pasted.pair->result, pasted.pair->extend, *setup_);
    }
  }

  static constexpr std::uint64_t kQueriesBeforeIndex = 64;

  MessageSource& messages_;
  DefineRows& defines_;
  const DocumentationRows* documentation_;
  const DocumentationRows* setupRows_;
  std::optional<SetupTables> setup_;  // read at the first pair asked
  const std::string& databaseName_;
  const OutputWriter& writer_;
  std::ostream& out_;
  std::ostream& err_;
  std::string buffer_;
  int status_ = 0;
  bool stopped_ = false;
  std::uint64_t asked_ = 0;
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
    std::string_view text = line;
    // The byte-order mark that Windows editors put before the first line is no part of it.
    constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
    if (lines.Number() == 1 && text.starts_with(kUtf8ByteOrderMark)) {
      text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    text = TrimSpace(text);
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
  RunTables tables{source,         *database->defines,
                   database->name, documented ? &documentation : nullptr,
                   &documentation, messages.files};
  if (options.searchText) {
    return RunTextSearch(*options.searchText, messages.files, tables, output);
  }
  StreamSource stream(in);
  ByteSource& input = platform.input ? *platform.input : stream;
  if (options.scan) {
    return RunScan({options.queries, options.scanLayout, options.jobs}, tables, output, input);
  }
  return RunQueries(options.queries, tables, output,
                    {input, platform.inputIsTerminal, platform.endOfInputKeys});
}

}  // namespace quillon
