#include "cli/command.h"

#include <cerrno>
#include <istream>
#include <ostream>
#include <string>

#include "cli/answers.h"
#include "cli/readings.h"
#include "cli/report.h"
#include "cli/scan.h"
#include "cli/system_reason.h"
#include "cli/terminal_text.h"
#include "lookup/define_file_check.h"
#include "lookup/define_rows.h"
#include "lookup/define_schema.h"
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

// Queries one at a time, from the arguments or from the lines of standard input.
class QueryFeed {
 public:
  QueryFeed(const Options& options, std::istream& in) : queries_(options.queries), in_(in) {}
  bool Next(std::string& query) {
    if (!queries_.empty()) {
      if (next_ == queries_.size()) {
        return false;
      }
      query = queries_[next_++];
      return true;
    }
    // Blank lines are no queries; a line's surrounding blanks (a CR from a Windows file) go.
    // errno is cleared before each read, so that a failed one leaves its own reason.
    while ((errno = 0, std::getline(in_, query))) {
      const std::size_t first = query.find_first_not_of(" \t\r");
      if (first != std::string::npos) {
        query = std::string(TrimTrailingSpace(std::string_view(query).substr(first)));
        return true;
      }
    }
    return false;
  }

 private:
  const std::vector<std::string>& queries_;
  std::size_t next_ = 0;
  std::istream& in_;
};

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

int RunQueries(const Options& options, MessageSource& messages, const DefineRows& defines,
               bool color, std::istream& in, std::ostream& out, std::ostream& err) {
  int status = 0;
  std::string buffer;
  std::string query;
  QueryFeed feed(options, in);
  while (feed.Next(query)) {
    const QueryReadings readings = ReadQuery(query);
    if (readings.readings.empty()) {
      status = 2;
      if (options.json) {
        WriteJsonRejection(buffer, query, readings.rejection);
      } else {
        Flush(buffer, out);
        out.flush();
        err << "quillon-cli: " << TerminalText(query) << ": " << OneLine(readings.rejection)
            << '\n';
      }
      continue;
    }
    bool found = false;
    for (const Reading& reading : readings.readings) {
      const ReadingAnswer answer = Answer(reading, messages, defines);
      found = found || !answer.matches.empty();
      if (options.json) {
        WriteJsonAnswer(buffer, query, answer);
      } else {
        WriteTextAnswer(buffer, query, answer, color);
      }
    }
    if (!found && status == 0) {
      status = 1;
    }
    if (buffer.size() >= kFlushSize) {
      Flush(buffer, out);
    }
  }
  const int readError = in.bad() ? FailedCallError() : 0;
  Flush(buffer, out);
  if (readError != 0) {
    out.flush();
    err << "quillon-cli: cannot read standard input: " << SystemReason(readError) << '\n';
    return 2;
  }
  return status;
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
  if (options.scan) {
    return RunScan({options.queries, options.json, options.summary, color}, *messages, defines, in,
                   out, err);
  }
  return RunQueries(options, *messages, defines, color, in, out, err);
}

}  // namespace quillon
