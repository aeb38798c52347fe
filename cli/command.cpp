#include "cli/command.h"

#include <algorithm>
#include <cerrno>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/define_schema.h"
#include "cli/line_reader.h"
#include "cli/scan.h"
#include "cli/system_reason.h"
#include "cli/text_search.h"
#include "core/answers.h"
#include "core/bug_check_arguments.h"
#include "core/documentation.h"
#include "core/readings.h"
#include "core/report.h"
#include "core/terminal_text.h"
#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/file_message_source.h"
#include "lookup/language_names.h"
#include "lookup/message_file_locator.h"
#include "lookup/pe_resources.h"
#include "query/setup_pair.h"

namespace quillon {

namespace {

constexpr std::size_t kFlushSize = 1 << 16;

class NoMessages final : public MessageSource {
 public:
  std::optional<std::string> Message(MessageSourceId, std::uint32_t) override {
    return std::nullopt;
  }
};

// The platform's own tables first, then the user's modules read from their files.
class PlatformAndModules final : public MessageSource {
 public:
  PlatformAndModules(std::unique_ptr<MessageSource> platform, const MessageFiles& modules,
                     std::uint16_t language)
      : platform_(std::move(platform)), modules_(modules, language) {}
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override {
    return platform_->Message(source, code);
  }
  std::optional<std::string> FurtherMessage(ErrorType type, std::uint32_t code) override {
    if (std::optional<std::string> text = platform_->FurtherMessage(type, code)) {
      return text;
    }
    return modules_.FurtherMessage(type, code);
  }

 private:
  std::unique_ptr<MessageSource> platform_;
  FileMessageSource modules_;
};

struct ChosenMessages {
  std::unique_ptr<MessageSource> source;
  FileMessageSource* files = nullptr;  // source itself when it reads files; else null
};

ChosenMessages ChooseMessages(const Options& options, CommandPlatform& platform,
                              const Language& language, bool documented, std::ostream& err) {
  if (options.messages == MessageChoice::None) {
    return {std::make_unique<NoMessages>(), nullptr};
  }
  MessageFiles files;
  const FileList modules(options.modules.begin(), options.modules.end());
  const bool platformOwn =
      options.messages == MessageChoice::Default && platform.ownMessages != nullptr;
  // A search reads whole tables, which the platform's own lookups cannot list: it reads the
  // running system's files instead.
  if (platformOwn && !options.searchText) {
    if (modules.empty()) {
      return {std::move(platform.ownMessages), nullptr};
    }
    files.own = modules;
    return {
        std::make_unique<PlatformAndModules>(std::move(platform.ownMessages), files, language.id),
        nullptr};
  }
  std::string where;
  if (options.messages == MessageChoice::Windows || platformOwn) {
    where = options.messages == MessageChoice::Windows ? options.windowsDirectory
                                                       : platform.windowsDirectory.string();
    files = LocateWindowsFiles(where, language.name);
  } else if (options.messages == MessageChoice::Wine) {
    where = "Wine's DLL folders";
    files = LocateWineFiles().value_or(MessageFiles{});
  } else {
    where = "a Windows directory (/mnt/c/Windows) or Wine's DLL folders";
    files = DefaultLinuxFiles(language.name).files;
  }
  if (HasNoFiles(files)) {
    err << "quillon-cli: no message tables in " << TerminalText(where) << "; no descriptions"
        << (!modules.empty() ? " but from --module"
            : documented     ? " but the documentation's"
                             : ", names only")
        << '\n';
  }
  files.own = modules;
  if (HasNoFiles(files)) {
    return {std::make_unique<NoMessages>(), nullptr};
  }
  auto source = std::make_unique<FileMessageSource>(files, language.id);
  FileMessageSource* const reader = source.get();
  return {std::move(source), reader};
}

// Why --windows DIR cannot be read (it is no folder, or cannot be listed); nothing when it can.
// A typing error must not pass as a Windows without message tables.
std::optional<std::string> WindowsFolderProblem(const Options& options) {
  if (options.messages != MessageChoice::Windows) {
    return std::nullopt;
  }
  std::error_code error;
  if (!std::filesystem::is_directory(options.windowsDirectory, error)) {
    return (error ? error : std::make_error_code(std::errc::not_a_directory)).message();
  }
  std::filesystem::directory_iterator(options.windowsDirectory, error);
  if (error) {
    return error.message();
  }
  return std::nullopt;
}

// Every --module must be a file with a message table: a typing error would otherwise go unseen.
bool CheckModules(const std::vector<std::string>& modules, std::ostream& err) {
  for (const std::string& module : modules) {
    const std::optional<FileBytes> file = ReadFileParts(
        module, kPeHeadSize, [](std::string_view bytes) { return MessageTableParts(bytes); });
    if (!file) {
      err << "quillon-cli: --module " << TerminalText(module) << ": cannot be read\n";
      return false;
    }
    if (!FindMessageTableResource(file->bytes)) {
      err << "quillon-cli: --module " << TerminalText(module) << ": holds no message table\n";
      return false;
    }
  }
  return true;
}

void Flush(std::string& buffer, std::ostream& out) {
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  buffer.clear();
}

// Writes what a search found as JSON Lines or as text; the exit status is 1 when it found none.
template <typename Row, typename WriteJson, typename WriteText>
int WriteFound(bool json, const std::vector<Row>& rows, WriteJson writeJson, WriteText writeText,
               std::ostream& out) {
  std::string buffer;
  if (json) {
    writeJson(buffer, rows);
  } else {
    writeText(buffer, rows);
  }
  Flush(buffer, out);
  return rows.empty() ? 1 : 0;
}

int RunNameSearch(const Options& options, const DefineRows& defines,
                  const std::string& databaseName, bool color, std::ostream& out,
                  std::ostream& err) {
  const std::vector<DefineRow> found = defines.SearchNames(*options.search);
  if (defines.Failure()) {
    err << DatabaseFailureLine(databaseName, defines);
    return 2;
  }
  return WriteFound(
      options.json, found, WriteJsonSearch,
      [color](std::string& text, const std::vector<DefineRow>& rows) {
        WriteTextSearch(text, rows, color);
      },
      out);
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

int RunSearchText(const Options& options, FileMessageSource* messages,
                  const DocumentationRows* documentation, MessageSource& source,
                  const DefineRows& defines, const std::string& databaseName, std::ostream& out,
                  std::ostream& err) {
  if (messages == nullptr && documentation == nullptr) {
    err << "quillon-cli: --search-text needs message tables to read (--windows DIR, --wine or "
           "--module FILE)\n";
    return 2;
  }
  std::vector<KindAnswer> found;
  if (messages != nullptr) {
    found = SearchDescriptions(*messages, defines, *options.searchText);
  }
  if (documentation != nullptr) {
    AddDocumentedFinds(found, *documentation, source, defines, TrimSpace(*options.searchText));
  }
  if (defines.Failure()) {
    err << DatabaseFailureLine(databaseName, defines);
    return 2;
  }
  return WriteFound(options.json, found, WriteJsonDescriptions, WriteTextDescriptions, out);
}

// The message on one line: the window's messages may hold a line break.
std::string OneLine(std::string_view message) {
  std::string line(message);
  for (char& c : line) {
    if (c == '\n') {
      c = ' ';
    }
  }
  return line;
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
  QueryRun(const Options& options, MessageSource& messages, DefineRows& defines,
           const DocumentationRows& documentation, const std::string& databaseName, bool color,
           std::ostream& out, std::ostream& err)
      : options_(options),
        messages_(messages),
        defines_(defines),
        documentation_(documentation),
        databaseName_(databaseName),
        color_(color),
        out_(out),
        err_(err) {}

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
      if (options_.json) {
        WriteJsonRejection(buffer_, query, readings.rejection);
      } else {
        WriteOut();
        err_ << "quillon-cli: " << TerminalText(query) << ": " << OneLine(readings.rejection)
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
      if (options_.json) {
        WriteJsonAnswer(buffer_, query, answer);
      } else {
        WriteTextAnswer(buffer_, query, answer, color_);
      }
    }
    if (!found && status_ == 0) {
      status_ = 1;
    }
    if (buffer_.size() >= kFlushSize) {
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
    if (options_.documentation) {
      AddDocumentation(answer, documentation_);
    }
    if (pasted.bugCheck) {
      std::erase_if(answer.matches,
                    [](const KindAnswer& match) { return match.type != ErrorType::Stop; });
      for (KindAnswer& match : answer.matches) {
        match.documentation.arguments = pasted.bugCheck->arguments;
      }
    }
    if (pasted.pair) {
      if (!setup_) {
        setup_ = documentation_.ReadSetupTables(options_.documentation);
      }
      answer.documentation.extend = ReadExtend(pasted.pair->result, pasted.pair->extend, *setup_);
    }
  }

  static constexpr std::uint64_t kQueriesBeforeIndex = 64;

  const Options& options_;
  MessageSource& messages_;
  DefineRows& defines_;
  const DocumentationRows& documentation_;
  std::optional<SetupTables> setup_;  // read at the first pair asked
  const std::string& databaseName_;
  const bool color_;
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

int RunQueries(const Options& options, MessageSource& messages, DefineRows& defines,
               const DocumentationRows& documentation, const std::string& databaseName, bool color,
               const CommandPlatform& platform, ByteSource& input, std::ostream& out,
               std::ostream& err) {
  QueryRun run(options, messages, defines, documentation, databaseName, color, out, err);
  if (!options.queries.empty()) {
    // "-" stands for the lines of standard input, read where it stands (once).
    bool inputRead = false;
    for (const std::string& query : options.queries) {
      if (run.Stopped()) {
        break;
      }
      if (query != "-") {
        run.Ask(std::string(TrimSpace(query)));
      } else if (!inputRead) {
        inputRead = true;
        RunInputQueries(run, input);
      }
    }
    run.WriteOut();
    return run.Status();
  }
  if (platform.inputIsTerminal) {
    err << "quillon-cli: reading queries from the terminal, one per line; "
        << platform.endOfInputKeys << " ends them\n";
  }
  return RunInputQueries(run, input);
}

}  // namespace

int RunCommand(const Options& options, CommandPlatform platform, std::istream& in,
               std::ostream& out, std::ostream& err) {
  const OpenedDefines opened = OpenDefines(
      CommandDefinePlaces(options.database, platform.programPath), DefineCheck::FileAndSchema);
  DefineRows& defines = *opened.rows;
  const std::string databaseName = TerminalText(opened.path.string());
  if (opened.problem && options.database) {
    err << "quillon-cli: cannot use the database " << databaseName << ": "
        << TerminalText(*opened.problem) << '\n';
    return 2;
  }
  if (opened.path.empty()) {
    err << "quillon-cli: no definitions database found; descriptions only, no names\n";
  } else if (opened.problem) {
    err << "quillon-cli: cannot use the database " << databaseName << ": "
        << TerminalText(*opened.problem) << "; descriptions only, no names\n";
  }
  const bool color =
      !options.json && UseColor(options.color, platform.outputIsTerminal, platform.noColor);
  if (options.search) {
    return RunNameSearch(options, defines, databaseName, color, out, err);
  }
  if (!CheckModules(options.modules, err)) {
    return 2;
  }
  if (const std::optional<std::string> unreadable = WindowsFolderProblem(options)) {
    err << "quillon-cli: cannot read " << TerminalText(options.windowsDirectory) << ": "
        << *unreadable << '\n';
    return 2;
  }
  const Language language =
      FindLanguage(options.language.value_or(platform.language)).value_or(kUsEnglish);
  // The documentation's rows, for setup's extend codes even when its texts are left out.
  const DocumentationRows documentation(opened.problem ? std::string() : opened.path.string(),
                                        language.name);
  const bool documented = options.documentation && documentation.HasDescriptions();
  const ChosenMessages messages = ChooseMessages(options, platform, language, documented, err);
  DocumentedMessages withDocumentation(*messages.source, documentation);
  MessageSource& source =
      documented ? static_cast<MessageSource&>(withDocumentation) : *messages.source;
  if (options.searchText) {
    return RunSearchText(options, messages.files, documented ? &documentation : nullptr, source,
                         defines, databaseName, out, err);
  }
  StreamSource stream(in);
  ByteSource& input = platform.input ? *platform.input : stream;
  if (options.scan) {
    const SetupTables setup = documentation.ReadSetupTables(options.documentation);
    return RunScan({options.queries, options.json, options.summary, color, databaseName,
                    options.jobs, &setup, options.documentation ? &documentation : nullptr},
                   source, defines, input, out, err);
  }
  return RunQueries(options, source, defines, documentation, databaseName, color, platform, input,
                    out, err);
}

}  // namespace quillon
