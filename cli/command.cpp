#include "cli/command.h"

#include <istream>
#include <ostream>
#include <string>

#include "base/define_schema.h"
#include "cli/answers.h"
#include "cli/line_reader.h"
#include "cli/readings.h"
#include "cli/report.h"
#include "cli/scan.h"
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
    case MessageChoice::Windows:
      return FilesOrNone(LocateWindowsFiles(options.windowsDirectory, options.language),
                         options.windowsDirectory, err);
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

int RunSearch(const Options& options, const DefineRows& defines, std::ostream& out) {
  const std::vector<DefineRow> rows = defines.SearchNames(*options.search);
  std::string buffer;
  if (options.json) {
    WriteJsonSearch(buffer, rows);
  } else {
    WriteTextSearch(buffer, rows);
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
  QueryRun(const Options& options, MessageSource& messages, const DefineRows& defines,
           std::ostream& out, std::ostream& err)
      : options_(options), messages_(messages), defines_(defines), out_(out), err_(err) {}

  void Ask(const std::string& query) {
    const QueryReadings readings = ReadQuery(query);
    if (readings.readings.empty()) {
      status_ = 2;
      if (options_.json) {
        WriteJsonRejection(buffer_, query, readings.rejection);
      } else {
        WriteOut();
        err_ << "quillon-cli: " << query << ": " << OneLine(readings.rejection) << '\n';
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
        WriteTextAnswer(buffer_, query, answer);
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
  std::ostream& out_;
  std::ostream& err_;
  std::string buffer_;
  int status_ = 0;
};

// Queries from standard input, one per line. Blank lines are no queries; a line's surrounding
// blanks (a CR from a Windows file) go, and a byte-order mark before the first. Answers are written out before each wait for input,
// so a terminal's queries are answered one by one.
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
    run.Trouble("reading standard input failed");
  }
  run.WriteOut();
  return run.Status();
}

int RunQueries(const Options& options, MessageSource& messages, const DefineRows& defines,
               const CommandPlatform& platform, ByteSource& input, std::ostream& out,
               std::ostream& err) {
  QueryRun run(options, messages, defines, out, err);
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
  std::error_code ignored;
  if (options.database && !std::filesystem::is_regular_file(databasePath, ignored)) {
    err << "quillon-cli: cannot read the database " << databasePath.string() << '\n';
    return 2;
  }
  // SQLite takes file names in UTF-8 on every platform.
  const std::u8string utf8 = databasePath.u8string();
  DefineRows defines(std::string(utf8.begin(), utf8.end()));
  if (!defines.IsUsable()) {
    if (options.database) {
      err << "quillon-cli: " << databasePath.string() << " is no definitions database\n";
      return 2;
    }
    err << "quillon-cli: no definitions database found; descriptions only, no names\n";
  }
  if (options.search) {
    return RunSearch(options, defines, out);
  }
  const std::unique_ptr<MessageSource> messages = ChooseMessages(options, platform, err);
  StreamSource stream(in);
  ByteSource& input = platform.input ? *platform.input : stream;
  if (options.scan) {
    return RunScan({options.queries, options.json, options.summary}, *messages, defines, input, out,
                   err);
  }
  return RunQueries(options, *messages, defines, platform, input, out, err);
}

}  // namespace quillon
