#include "cli/command.h"

#include <cerrno>
#include <istream>
#include <ostream>
#include <string>

#include "base/define_schema.h"
#include "cli/answers.h"
#include "cli/line_reader.h"
#include "cli/readings.h"
#include "cli/report.h"
#include "cli/scan.h"
#include "cli/system_reason.h"
#include "cli/terminal_text.h"
#include "lookup/define_file_check.h"
#include "lookup/define_rows.h"
#include "lookup/file_message_source.h"
#include "lookup/message_file_locator.h"

namespace quillon {

namespace {

constexpr std::size_t kFlushSize = 1 << 16;

class NoMessages final : public MessageSource {
 public:
  std::optional<std::string> Message(MessageSourceId, std::uint32_t) override {
    return std::nullopt;
  }
};

std::unique_ptr<MessageSource> FilesOrNone(const MessageFiles& files, std::string_view where,
                                           std::ostream& err) {
  if (HasNoFiles(files)) {
    err << "quillon-cli: no message tables in " << where << "; names only, no descriptions\n";
    return std::make_unique<NoMessages>();
  }
  return std::make_unique<FileMessageSource>(files);
}

std::unique_ptr<MessageSource> ChooseMessages(const Options& options, CommandPlatform& platform,
                                              std::ostream& err) {
  switch (options.messages) {
    case MessageChoice::None:
      return std::make_unique<NoMessages>();
    case MessageChoice::Windows: {
      // A folder that cannot be read is named with the reason, not only as one without tables.
      std::error_code error;
      if (!std::filesystem::is_directory(options.windowsDirectory, error)) {
        err << "quillon-cli: cannot read " << options.windowsDirectory << ": "
            << (error ? error : std::make_error_code(std::errc::not_a_directory)).message()
            << "; names only, no descriptions\n";
        return std::make_unique<NoMessages>();
      }
      return FilesOrNone(LocateWindowsFiles(options.windowsDirectory, options.language),
                         options.windowsDirectory, err);
    }
    case MessageChoice::Wine:
      return FilesOrNone(LocateWineFiles().value_or(MessageFiles{}), "Wine's DLL folders", err);
    case MessageChoice::Default:
      break;
  }
  if (platform.ownMessages != nullptr) {
    return std::move(platform.ownMessages);
  }
  const DefaultMessageFiles found = DefaultLinuxFiles(options.language);
  if (found.kind == DefaultMessageFiles::Kind::None) {
    err << "quillon-cli: no Windows directory (/mnt/c/Windows) and no Wine DLLs found; names "
           "only, no descriptions\n";
    return std::make_unique<NoMessages>();
  }
  return std::make_unique<FileMessageSource>(found.files);
}

void Flush(std::string& buffer, std::ostream& out) {
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  buffer.clear();
}

int RunSearch(const Options& options, const DefineRows& defines, bool color, std::ostream& out) {
  const std::vector<DefineRow> rows = defines.SearchNames(*options.search);
  std::string buffer;
  if (options.json) {
    WriteJsonSearch(buffer, rows);
  } else {
    WriteTextSearch(buffer, rows, color);
  }
  Flush(buffer, out);
  return rows.empty() ? 1 : 0;
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

class QueryRun {
 public:
  QueryRun(const Options& options, MessageSource& messages, const DefineRows& defines, bool color,
           std::ostream& out, std::ostream& err)
      : options_(options),
        messages_(messages),
        defines_(defines),
        color_(color),
        out_(out),
        err_(err) {}

  void Ask(const std::string& query) {
    const QueryReadings readings = ReadQuery(query);
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
    bool found = false;
    for (const Reading& reading : readings.readings) {
      const ReadingAnswer answer = Answer(reading, messages_, defines_);
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

 private:
  const Options& options_;
  MessageSource& messages_;
  const DefineRows& defines_;
  const bool color_;
  std::ostream& out_;
  std::ostream& err_;
  std::string buffer_;
  int status_ = 0;
};

// Queries from standard input, one per line. Blank lines are no queries; a line's surrounding
// blanks (a CR from a Windows file) go, and a byte-order mark before the first. Answers are written
// out before each wait for input, so a terminal's queries are answered one by one.
int RunInputQueries(QueryRun& run, ByteSource& input) {
  LineReader lines(input);
  std::string line;
  for (;;) {
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

int RunQueries(const Options& options, MessageSource& messages, const DefineRows& defines,
               bool color, const CommandPlatform& platform, ByteSource& input, std::ostream& out,
               std::ostream& err) {
  QueryRun run(options, messages, defines, color, out, err);
  if (!options.queries.empty()) {
    // "-" stands for the lines of standard input, read where it stands (once).
    bool inputRead = false;
    for (const std::string& query : options.queries) {
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

std::filesystem::path ChooseCommandDatabase(const std::optional<std::string>& option,
                                            const std::filesystem::path& programPath) {
  if (option) {
    return *option;
  }
  if (programPath.empty()) {
    return {};
  }
  const std::filesystem::path bin = programPath.parent_path();
  const std::filesystem::path candidates[] = {
      bin / kDefinesFileName, bin.parent_path() / "share" / "quillon" / kDefinesFileName};
  std::error_code ignored;
  for (const std::filesystem::path& candidate : candidates) {
    if (std::filesystem::is_regular_file(candidate, ignored)) {
      return candidate;
    }
  }
  return {};
}

int RunCommand(const Options& options, CommandPlatform platform, std::istream& in,
               std::ostream& out, std::ostream& err) {
  const std::filesystem::path databasePath =
      ChooseCommandDatabase(options.database, platform.programPath);
  // Checked before it is opened: a file that is no definitions database is named with the
  // reason, and a view with endless rows is never asked.
  const std::optional<std::string> problem =
      databasePath.empty() ? std::nullopt : DefineFileProblem(databasePath);
  if (problem && options.database) {
    err << "quillon-cli: cannot use the database " << databasePath.string() << ": " << *problem
        << '\n';
    return 2;
  }
  if (databasePath.empty()) {
    err << "quillon-cli: no definitions database found; descriptions only, no names\n";
  } else if (problem) {
    err << "quillon-cli: cannot use the database " << databasePath.string() << ": " << *problem
        << "; descriptions only, no names\n";
  }
  DefineRows defines(problem ? std::string() : DefineFileOpenName(databasePath));
  const bool color =
      !options.json && UseColor(options.color, platform.outputIsTerminal, platform.noColor);
  if (options.search) {
    return RunSearch(options, defines, color, out);
  }
  const std::unique_ptr<MessageSource> messages = ChooseMessages(options, platform, err);
  StreamSource stream(in);
  ByteSource& input = platform.input ? *platform.input : stream;
  if (options.scan) {
    return RunScan({options.queries, options.json, options.summary, color}, *messages, defines,
                   input, out, err);
  }
  return RunQueries(options, *messages, defines, color, platform, input, out, err);
}

}  // namespace quillon
