#include "core/scan_writers.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/documentation_report.h"
#include "core/json_report.h"
#include "core/json_text.h"
#include "core/report.h"
#include "core/terminal_text.h"

namespace quillon {

namespace {

// Bounds what a hostile line can make the text writer hold until the line ends.
constexpr std::size_t kLineFindingLimit = 256;

class TextWriter final : public ScanWriter {
 public:
  explicit TextWriter(TextStyle style) : color_(style.color) {}

  void StartFile(std::string_view name) override {
    prefix_ = name.empty() ? "" : TerminalText(name) + ':';
    EndFindings();  // of a scan that ended within a line
  }

  std::string AnswerText(const ReadingAnswer& answer) const override {
    return ShortAnswerLine(answer, color_);
  }

  void Finding(const ScanFinding& finding) override {
    if (findings_.size() < kLineFindingLimit) {
      findings_.push_back({texts_.size(), finding.text.size(), finding.column, finding.answer});
      texts_ += finding.text;
    } else {
      ++dropped_;
    }
  }

  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) override {
    char number[20];
    const char* const end = std::to_chars(number, number + sizeof number, line).ptr;
    const std::string_view digits(number, static_cast<std::size_t>(end - number));
    if (!color_ && dropped_ == 0 && IsPlainText(shown) && IsPlainText(texts_)) {
      AppendPlainLine(digits, shown, cut);
    } else {
      AppendLine(digits, shown, cut);
    }
    EndFindings();
  }

 private:
  struct LineFinding {
    std::size_t at;  // of its text in texts_
    std::size_t size;
    std::uint64_t column;  // 1-based
    const ScanAnswer* answer;
  };

  // digits: the line's number, in both.
  // A line and its findings with nothing to escape or paint, copied into the output at once:
  // a scan of a log where most lines hold codes makes one of these per line.
  void AppendPlainLine(std::string_view digits, std::string_view shown, bool cut) {
    using namespace std::string_view_literals;
    const std::string_view ending = cut ? " [...]\n"sv : "\n"sv;
    std::size_t size = prefix_.size() + digits.size() + 2 + shown.size() + ending.size();
    for (const LineFinding& finding : findings_) {
      size += 4 + finding.size + 2 + finding.answer->text.size() + 1;
    }
    const std::size_t at = text_.size();
    text_.resize(at + size);
    char* out = text_.data() + at;
    const auto put = [&out](std::string_view part) {
      std::memcpy(out, part.data(), part.size());
      out += part.size();
    };
    put(prefix_);
    put(digits);
    put(": "sv);
    put(shown);
    put(ending);
    for (const LineFinding& finding : findings_) {
      put("    "sv);
      put(std::string_view(texts_).substr(finding.at, finding.size));
      put("  "sv);
      put(finding.answer->text);
      *out++ = '\n';
    }
  }

  void AppendLine(std::string_view digits, std::string_view shown, bool cut) {
    // The codes found are marked in the line shown, as grep marks a match.
    spans_.clear();
    for (const LineFinding& finding : findings_) {
      spans_.push_back({static_cast<std::size_t>(finding.column - 1), finding.size});
    }
    using namespace std::string_view_literals;  // appended without a strlen each
    text_ += prefix_;
    text_ += digits;
    text_ += ": "sv;
    AppendMarkedLine(text_, shown, spans_, color_);
    text_ += cut ? " [...]\n"sv : "\n"sv;
    for (const LineFinding& finding : findings_) {
      text_ += "    "sv;
      AppendTerminalText(text_, std::string_view(texts_).substr(finding.at, finding.size),
                         Paint::Found, color_);
      text_ += "  "sv;
      text_ += finding.answer->text;
      text_ += '\n';
    }
    if (dropped_ > 0) {
      text_ += "    and " + std::to_string(dropped_) + " more on this line\n";
    }
  }

  void EndFindings() {
    findings_.clear();
    texts_.clear();
    dropped_ = 0;
  }

  const bool color_;
  std::string prefix_;
  std::vector<LineFinding> findings_;
  std::string texts_;            // the findings' texts, one after another
  std::vector<TextSpan> spans_;  // the findings' places, kept for the next line
  std::uint64_t dropped_ = 0;
};

// "file" when several inputs are scanned, "line", "column", "text" and "reading", then the
// answer's members as its text line shows them: the object of a finding without its braces.
void AppendFindingMembers(std::string& out, std::string_view file, const ScanFinding& finding) {
  JsonMembers members(out);
  if (!file.empty()) {
    members.String("file", file);
  }
  members.Number("line", static_cast<std::int64_t>(finding.line))
      .Number("column", static_cast<std::int64_t>(finding.column))
      .String("text", finding.text)
      .String("reading", ReadingName(finding.reading))
      .Members(finding.answer->text);
}

class JsonWriter final : public ScanWriter {
 public:
  void StartFile(std::string_view name) override { file_ = name; }
  std::string AnswerText(const ReadingAnswer& answer) const override {
    return JsonScanMembers(answer);
  }
  void Finding(const ScanFinding& finding) override {
    text_ += '{';
    AppendFindingMembers(text_, file_, finding);
    text_ += "}\n";
  }
  void LineEnd(std::uint64_t, std::string_view, bool) override {}

 private:
  std::string file_;
};

// Spellings kept of one code: a hostile log can write a value in hundreds of ways (0x5, 0X05,
// 0x00000005, c0000005 and C0000005...).
constexpr std::size_t kSpellingLimit = 16;

// One row per code, a kind and a value, however it was written: E_ACCESSDENIED and 0x80070005
// are one HRESULT, and 0x80070005 is also the Win32 code 5 as error 5 writes it.
class SummaryWriter final : public ScanWriter {
 public:
  SummaryWriter(OutputFormat format, TextStyle style) : format_(format), style_(style) {}

  void StartFile(std::string_view name) override { file_ = std::string(name); }

  void Finding(const ScanFinding& finding) override { Findings(finding, 1); }
  void Findings(const ScanFinding& finding, std::uint64_t count) override {
    if (count == 0) {
      return;
    }
    const std::vector<KindAnswer>& matches = finding.answer->answer.matches;
    for (std::size_t i = 0; i < matches.size(); ++i) {
      const std::uint64_t key =
          std::uint64_t{static_cast<std::uint32_t>(matches[i].type)} << 32 | matches[i].value;
      Row& row = rows_[key];
      const bool first = row.count == 0;
      row.count += count;
      if (first) {
        row.order = order_++;
        row.file = file_;
        row.line = finding.line;
        row.column = finding.column;
        row.answer = finding.answer->shared_from_this();
        row.match = i;
      }
      AddSpelling(row, finding.text);
    }
  }
  void LineEnd(std::uint64_t, std::string_view, bool) override {}

  void Finish() override {
    std::vector<const Row*> rows;
    for (const auto& [key, row] : rows_) {
      rows.push_back(&row);
    }
    // Most frequent first; then in the order they first occurred.
    std::sort(rows.begin(), rows.end(), [](const Row* a, const Row* b) {
      return a->count != b->count ? a->count > b->count : a->order < b->order;
    });
    for (const Row* row : rows) {
      format_ == OutputFormat::Json ? AppendJson(*row) : AppendText(*row);
    }
  }

 private:
  struct Row {
    std::uint64_t count = 0;
    std::uint64_t order = 0;  // of first occurrence among the rows
    std::string file;         // of the first occurrence, and its place
    std::uint64_t line = 0;
    std::uint64_t column = 0;
    std::vector<std::string> spellings;  // as written, in the order first seen
    bool moreSpellings = false;          // others than those kept
    ScanAnswerPointer answer;
    std::size_t match = 0;  // the row's code among the answer's matches
  };

  static void AddSpelling(Row& row, std::string_view text) {
    if (std::find(row.spellings.begin(), row.spellings.end(), text) != row.spellings.end()) {
      return;
    }
    if (row.spellings.size() < kSpellingLimit) {
      row.spellings.emplace_back(text);
    } else {
      row.moreSpellings = true;
    }
  }

  void AppendText(const Row& row) {
    std::string count = std::to_string(row.count);
    count.insert(0, count.size() < 8 ? 8 - count.size() : 0, ' ');
    text_ += count + "  ";
    for (std::size_t i = 0; i < row.spellings.size(); ++i) {
      text_ += i == 0 ? "" : ", ";
      AppendTerminalText(text_, row.spellings[i], Paint::Found, style_.color);
    }
    text_ += row.moreSpellings ? ", ..." : "";
    text_ += "  first at " + (row.file.empty() ? "" : TerminalText(row.file) + ':') +
             std::to_string(row.line) + "  " +
             ShortMatchLine(row.answer->answer.matches[row.match], style_.color) + '\n';
    // A summary is where the reader decides what to do: each code's remedies once.
    text_ += RemedyLines(row.answer->answer.matches[row.match], "          ");
  }

  // The first occurrence's place, with how often the code occurred and how it was written.
  void AppendJson(const Row& row) {
    text_ += '{';
    JsonMembers members(text_);
    members.Number("count", static_cast<std::int64_t>(row.count));
    std::string& spellings = members.Key("spellings");
    spellings += '[';
    for (std::size_t i = 0; i < row.spellings.size(); ++i) {
      spellings += i == 0 ? "" : ",";
      AppendJsonString(spellings, row.spellings[i]);
    }
    spellings += ']';
    if (!row.file.empty()) {
      members.String("file", row.file);
    }
    members.Number("line", static_cast<std::int64_t>(row.line))
        .Number("column", static_cast<std::int64_t>(row.column));
    // As a finding's match, with the remedies that the text's row shows.
    std::string& matches = members.Key("matches");
    matches += "[{";
    JsonMembers match(matches);
    const KindAnswer& code = row.answer->answer.matches[row.match];
    AddScanMatchMembers(match, code);
    AddRemediesMember(match, code);
    matches += "}]";
    text_ += "}\n";
  }

  const OutputFormat format_;
  const TextStyle style_;
  std::string file_;
  // Bounded by the codes that something knows.
  std::unordered_map<std::uint64_t, Row> rows_;
  std::uint64_t order_ = 0;
};

}  // namespace

bool ScanWriter::Flush(const EmitText& emit) {
  const bool written = emit(text_);
  text_.clear();
  return written;
}

std::unique_ptr<ScanWriter> MakeScanWriter(OutputFormat format, ScanLayout layout,
                                           TextStyle style) {
  if (layout == ScanLayout::Summary) {
    return std::make_unique<SummaryWriter>(format, style);
  }
  if (format == OutputFormat::Json) {
    return std::make_unique<JsonWriter>();
  }
  return std::make_unique<TextWriter>(style);
}

}  // namespace quillon
