#include "cli/scan.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <istream>
#include <memory>
#include <ostream>
#include <unordered_map>
#include <unordered_set>

#include "cli/answers.h"
#include "cli/report.h"
#include "cli/scan_tokens.h"
#include "cli/system_reason.h"
#include "cli/terminal_text.h"

namespace quillon {

namespace {

constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kFlushSize = 1 << 16;
// Bounds on what a hostile input can make the scan hold: answers kept for reuse, and the codes
// of one line kept until the line has been read.
constexpr std::size_t kCacheLimit = 1 << 16;
constexpr std::size_t kLineFindingLimit = 256;

// An answer with its one-line text, made once for all the lines that hold the code.
struct CachedAnswer {
  ReadingAnswer answer;
  std::string line;
};
using AnswerPointer = std::shared_ptr<const CachedAnswer>;

// A map of at most kCacheLimit entries, emptied when full.
template <typename Key>
class BoundedMap {
 public:
  const AnswerPointer* Find(const Key& key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
  }
  void Put(const Key& key, AnswerPointer answer) {
    if (entries_.size() >= kCacheLimit) {
      entries_.clear();
    }
    entries_.emplace(key, std::move(answer));
  }

 private:
  std::unordered_map<Key, AnswerPointer> entries_;
};

// Answers each distinct code once: logs repeat the same few codes on many lines, and hold
// many more numbers (addresses, sizes) that nothing knows.
class AnswerCache {
 public:
  AnswerCache(MessageSource& messages, const DefineRows& defines, bool color)
      : messages_(messages), defines_(defines), color_(color) {}
  AnswerPointer Answer(const Reading& reading) {
    const bool byName = reading.kind == ReadingKind::Name;
    if (const AnswerPointer* known =
            byName ? names_.Find(reading.name) : numbers_.Find(reading.value)) {
      return *known;
    }
    ReadingAnswer answer = quillon::Answer(reading, messages_, defines_);
    std::string line = MatchesLine(answer, color_);
    auto cached =
        std::make_shared<const CachedAnswer>(CachedAnswer{std::move(answer), std::move(line)});
    if (byName) {
      names_.Put(reading.name, cached);
    } else {
      numbers_.Put(reading.value, cached);
    }
    return cached;
  }

 private:
  MessageSource& messages_;
  const DefineRows& defines_;
  const bool color_;
  BoundedMap<std::uint32_t> numbers_;
  BoundedMap<std::string> names_;
};

struct SummaryEntry {
  std::uint64_t count = 0;
  std::uint64_t order = 0;  // of first occurrence among the codes
  std::string file;
  std::uint64_t firstLine = 0;
  std::string text;  // as first written
  AnswerPointer answer;
};

class ScanReport final : public ScanSink {
 public:
  ScanReport(const ScanRequest& request, AnswerCache& answers, std::ostream& out)
      : request_(request), answers_(answers), out_(out) {}

  void StartFile(std::string name) { file_ = std::move(name); }
  bool FoundAny() const { return foundAny_; }

  void Token(std::uint64_t line, const ScanToken& token) override {
    AnswerPointer answer = answers_.Answer(token.reading);
    if (answer->answer.matches.empty()) {
      return;
    }
    foundAny_ = true;
    if (request_.summary) {
      // Numbers count by value however they are written; names by name.
      const Reading& reading = answer->answer.reading;
      SummaryEntry& entry = reading.kind == ReadingKind::Name ? namesSummary_[reading.name]
                                                              : numbersSummary_[reading.value];
      if (entry.count++ == 0) {
        entry = {1, summaryOrder_++, file_, line, token.text, answer};
      }
    } else if (request_.json) {
      WriteJsonFinding(buffer_, {file_, line, token.column, token.text, &answer->answer});
      FlushIfFull();
    } else if (lineFindings_.size() < kLineFindingLimit) {
      lineFindings_.push_back({token.text, token.column, std::move(answer)});
    } else {
      ++lineFindingsDropped_;
    }
  }

  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) override {
    if (lineFindings_.empty()) {
      return;
    }
    if (!file_.empty()) {
      AppendTerminalText(buffer_, file_);
      buffer_ += ':';
    }
    buffer_ += std::to_string(line) + ": ";
    std::vector<TextSpan> found;
    for (const LineFinding& finding : lineFindings_) {
      found.push_back({static_cast<std::size_t>(finding.column - 1), finding.text.size()});
    }
    AppendMarkedLine(buffer_, shown, found, request_.color);
    buffer_ += cut ? " [...]\n" : "\n";
    for (const auto& [text, column, answer] : lineFindings_) {
      buffer_ += "    ";
      AppendTerminalText(buffer_, text, Paint::Found, request_.color);
      buffer_ += "  " + answer->line + '\n';
    }
    if (lineFindingsDropped_ > 0) {
      buffer_ += "    and " + std::to_string(lineFindingsDropped_) + " more on this line\n";
    }
    lineFindings_.clear();
    lineFindingsDropped_ = 0;
    FlushIfFull();
  }

  void Finish() {
    if (request_.summary) {
      WriteSummary();
    }
    Flush();
  }

 private:
  void WriteSummary() {
    std::vector<const SummaryEntry*> entries;
    for (const auto& [value, entry] : numbersSummary_) {
      entries.push_back(&entry);
    }
    for (const auto& [name, entry] : namesSummary_) {
      entries.push_back(&entry);
    }
    // Most frequent first; then in the order they first occurred.
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
      return a->count != b->count ? a->count > b->count : a->order < b->order;
    });
    for (const SummaryEntry* entry : entries) {
      if (request_.json) {
        WriteJsonSummary(*entry);
        continue;
      }
      std::string line = std::to_string(entry->count);
      line.insert(0, line.size() < 8 ? 8 - line.size() : 0, ' ');
      line += "  ";
      AppendTerminalText(line, entry->text, Paint::Found, request_.color);
      line += "  first at " + TerminalText(entry->file.empty() ? "" : entry->file + ':') +
              std::to_string(entry->firstLine) + "  " + entry->answer->line + '\n';
      buffer_ += line;
    }
  }

  void WriteJsonSummary(const SummaryEntry& entry) {
    // The finding's object for the first occurrence, with how often the code occurred.
    std::string object;
    WriteJsonFinding(object, {entry.file, entry.firstLine, 0, entry.text, &entry.answer->answer});
    object.insert(1, "\"count\":" + std::to_string(entry.count) + ",");
    buffer_ += object;
  }

  void FlushIfFull() {
    if (buffer_.size() >= kFlushSize) {
      Flush();
    }
  }
  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

  const ScanRequest& request_;
  AnswerCache& answers_;
  std::ostream& out_;
  std::string buffer_;
  std::string file_;
  bool foundAny_ = false;
  struct LineFinding {
    std::string text;
    std::uint64_t column;  // 1-based
    AnswerPointer answer;
  };
  std::vector<LineFinding> lineFindings_;
  std::uint64_t lineFindingsDropped_ = 0;
  // Bounded by the codes that something knows.
  std::unordered_map<std::uint32_t, SummaryEntry> numbersSummary_;
  std::unordered_map<std::string, SummaryEntry> namesSummary_;
  std::uint64_t summaryOrder_ = 0;
};

// Returns errno's value when reading failed (a directory, an I/O error), else 0.
int ScanStream(std::istream& in, const std::unordered_set<std::string>& names, ScanReport& report) {
  TokenScanner scanner(names);
  std::unique_ptr<char[]> chunk(new char[kChunkSize]);
  int error = 0;
  while (in) {
    errno = 0;
    in.read(chunk.get(), static_cast<std::streamsize>(kChunkSize));
    if (in.bad()) {
      error = FailedCallError();
    }
    const auto size = static_cast<std::size_t>(in.gcount());
    if (size == 0) {
      break;
    }
    scanner.Feed(std::string_view(chunk.get(), size), report);
  }
  scanner.Finish(report);
  return error;
}

}  // namespace

int RunScan(const ScanRequest& request, MessageSource& messages, DefineRows& defines,
            std::istream& in, std::ostream& out, std::ostream& err) {
  defines.IndexValues();
  const std::vector<std::string> allNames = defines.AllNames();
  const std::unordered_set<std::string> names(allNames.begin(), allNames.end());
  AnswerCache answers(messages, defines, request.color);
  ScanReport report(request, answers, out);
  std::vector<std::string> files = request.files;
  if (files.empty()) {
    files.push_back("-");
  }
  // Lines are named by file only when there are several.
  const bool nameFiles = files.size() > 1;
  bool unreadable = false;
  for (const std::string& file : files) {
    report.StartFile(nameFiles ? file : std::string());
    const bool standardInput = file == "-";
    int error = 0;
    if (standardInput) {
      error = ScanStream(in, names, report);
    } else {
      errno = 0;
      std::ifstream stream(file, std::ios::binary);
      error = stream ? ScanStream(stream, names, report) : FailedCallError();
    }
    if (error != 0) {
      err << "quillon-cli: cannot read " << (standardInput ? "standard input" : file) << ": "
          << SystemReason(error) << '\n';
      unreadable = true;
    }
  }
  report.Finish();
  if (unreadable) {
    return 2;
  }
  return report.FoundAny() ? 0 : 1;
}

}  // namespace quillon
