#include "cli/command.h"

#include <istream>
#include <ostream>
#include <string>

#include "cli/answers.h"
#include "cli/readings.h"
#include "cli/report.h"
#include "cli/scan.h"
#include "cli/text_search.h"
#include "lookup/define_rows.h"
#include "lookup/define_schema.h"
#include "lookup/file_message_source.h"
#include "lookup/language_names.h"
#include "lookup/message_file_locator.h"
#include "lookup/pe_resources.h"

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
                              const Language& language, std::ostream& err) {
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
    err << "quillon-cli: no message tables in " << where << "; no descriptions"
        << (modules.empty() ? ", names only" : " but from --module") << '\n';
  }
  files.own = modules;
  if (HasNoFiles(files)) {
    return {std::make_unique<NoMessages>(), nullptr};
  }
  auto source = std::make_unique<FileMessageSource>(files, language.id);
  FileMessageSource* const reader = source.get();
  return {std::move(source), reader};
}

// Every --module must be a file with a message table: a typing error would otherwise go unseen.
bool CheckModules(const std::vector<std::string>& modules, std::ostream& err) {
  for (const std::string& module : modules) {
    const std::optional<FileBytes> file = ReadFileParts(
        module, kPeHeadSize, [](std::string_view bytes) { return MessageTableParts(bytes); });
    if (!file) {
      err << "quillon-cli: --module " << module << ": cannot be read\n";
      return false;
    }
    if (!FindMessageTableResource(file->bytes)) {
      err << "quillon-cli: --module " << module << ": holds no message table\n";
      return false;
    }
  }
  return true;
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
    while (std::getline(in_, query)) {
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

// Writes what a search found as JSON Lines or as text; the exit status is 1 when it found none.
template <typename Row>
int WriteFound(bool json, const std::vector<Row>& rows,
               void (*writeJson)(std::string&, const std::vector<Row>&),
               void (*writeText)(std::string&, const std::vector<Row>&), std::ostream& out) {
  std::string buffer;
  (json ? writeJson : writeText)(buffer, rows);
  Flush(buffer, out);
  return rows.empty() ? 1 : 0;
}

int RunSearch(const Options& options, const DefineRows& defines, std::ostream& out) {
  return WriteFound(options.json, defines.SearchNames(*options.search), WriteJsonSearch,
                    WriteTextSearch, out);
}

int RunSearchText(const Options& options, FileMessageSource* messages, const DefineRows& defines,
                  std::ostream& out, std::ostream& err) {
  if (messages == nullptr) {
    err << "quillon-cli: --search-text needs message tables to read (--windows DIR, --wine or "
           "--module FILE)\n";
    return 2;
  }
  return WriteFound(options.json, SearchDescriptions(*messages, defines, *options.searchText),
                    WriteJsonDescriptions, WriteTextDescriptions, out);
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
               std::istream& in, std::ostream& out, std::ostream& err) {
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
        err << "quillon-cli: " << query << ": " << OneLine(readings.rejection) << '\n';
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
        WriteTextAnswer(buffer, query, answer);
      }
    }
    if (!found && status == 0) {
      status = 1;
    }
    if (buffer.size() >= kFlushSize) {
      Flush(buffer, out);
    }
  }
  Flush(buffer, out);
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
  if (!CheckModules(options.modules, err)) {
    return 2;
  }
  const Language language =
      FindLanguage(options.language.value_or(platform.language)).value_or(kUsEnglish);
  const ChosenMessages messages = ChooseMessages(options, platform, language, err);
  if (options.searchText) {
    return RunSearchText(options, messages.files, defines, out, err);
  }
  if (options.scan) {
    return RunScan({options.queries, options.json, options.summary}, *messages.source, defines, in,
                   out, err);
  }
  return RunQueries(options, *messages.source, defines, in, out, err);
}

}  // namespace quillon
