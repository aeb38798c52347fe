#include "core/scan_writers.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "core/documentation_report.h"
#include "core/report.h"
#include "core/terminal_text.h"

namespace quillon {

namespace {

// Bounds what a hostile line can make the text writer hold until the line ends.
constexpr std::size_t kLineFindingLimit = 256;

class TextWriter final : public ScanWriter {
 public:
  explicit TextWriter(bool color) : color_(color) {}

  void StartFile(std::string_view name) override {
    prefix_ = name.empty() ? "" : TerminalText(name) + ':';
  }

  void Finding(const ScanFinding& finding) override {
    if (findings_.size() < kLineFindingLimit) {
      findings_.push_back({std::string(finding.text), finding.column, finding.answer});
    } else {
      ++dropped_;
    }
  }

  void LineEnd(std::uint64_t line, std::string_view shown, bool cut) override {
    // The codes found are marked in the line shown, as grep marks a match.
    std::vector<TextSpan> found;
    for (const LineFinding& finding : findings_) {
      found.push_back({static_cast<std::size_t>(finding.column - 1), finding.text.size()});
    }
    std::string marked;
    AppendMarkedLine(marked, shown, found, color_);
    AppendLine(prefix_ + std::to_string(line) + ": ", marked, cut ? " [...]" : "");
    for (const LineFinding& finding : findings_) {
      std::string head = "    ";
      AppendTerminalText(head, finding.text, Paint::Found, color_);
      AppendLine(head + "  ", finding.answer->shortLine, "");
    }
    if (dropped_ > 0) {
      AppendLine("    and " + std::to_string(dropped_) + " more on this line", "", "");
    }
    findings_.clear();
    dropped_ = 0;
  }

 private:
  // Every line of this writer's output is made here.
  void AppendLine(std::string_view head, std::string_view body, std::string_view tail) {
    text_ += head;
    text_ += body;
    text_ += tail;
    text_ += '\n';
  }

  struct LineFinding {
    std::string text;
    std::uint64_t column;  // 1-based
    ScanAnswerPointer answer;
  };
  const bool color_;
  std::string prefix_;
  std::vector<LineFinding> findings_;
  std::uint64_t dropped_ = 0;
};

std::string FileMember(std::string_view name) {
  using Json = nlohmann::json;
  return name.empty()
             ? ""
             : "\"file\":" + Json(name).dump(-1, ' ', false, Json::error_handler_t::replace) + ',';
}

// "line", "column", "text" and "reading", then the answer's members: the object of a finding
// without its braces.
void AppendFindingMembers(std::string& out, const ScanFinding& finding) {
  out += "\"line\":" + std::to_string(finding.line) +
         ",\"column\":" + std::to_string(finding.column) + ",\"text\":\"";
  out += finding.text;  // letters, digits, '_' and '-' need no escapes
  out += "\",\"reading\":\"";
  out += ReadingName(finding.reading);
  out += "\",";
  out += finding.answer->jsonMembers;
}

class JsonWriter final : public ScanWriter {
 public:
  void StartFile(std::string_view name) override { file_ = FileMember(name); }
  void Finding(const ScanFinding& finding) override {
    text_ += '{';
    text_ += file_;
    AppendFindingMembers(text_, finding);
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
  SummaryWriter(bool json, bool color) : json_(json), color_(color) {}

  void StartFile(std::string_view name) override { file_ = std::string(name); }

  void Finding(const ScanFinding& finding) override {
    const std::vector<KindAnswer>& matches = finding.answer->answer.matches;
    for (std::size_t i = 0; i < matches.size(); ++i) {
      const std::uint64_t key =
          std::uint64_t{static_cast<std::uint32_t>(matches[i].type)} << 32 | matches[i].value;
      Row& row = rows_[key];
      if (row.count++ == 0) {
        row.order = order_++;
        row.file = file_;
        row.line = finding.line;
        row.column = finding.column;
        row.answer = finding.answer;
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
      json_ ? AppendJson(*row) : AppendText(*row);
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
      AppendTerminalText(text_, row.spellings[i], Paint::Found, color_);
    }
    text_ += row.moreSpellings ? ", ..." : "";
    text_ += "  first at " + (row.file.empty() ? "" : TerminalText(row.file) + ':') +
             std::to_string(row.line) + "  " +
             ShortMatchLine(row.answer->answer.matches[row.match], color_) + '\n';
    // A summary is where the reader decides what to do: each code's remedies once.
    text_ += RemedyLines(row.answer->answer.matches[row.match], "          ");
  }

  // The first occurrence's place, with how often the code occurred and how it was written.
  void AppendJson(const Row& row) {
    text_ += "{\"count\":" + std::to_string(row.count) + ",\"spellings\":[";
    for (std::size_t i = 0; i < row.spellings.size(); ++i) {
      text_ += i == 0 ? "\"" : ",\"";
      text_ += row.spellings[i];  // letters, digits, '_' and '-' need no escapes
      text_ += '"';
    }
    text_ += "]," + FileMember(row.file) + "\"line\":" + std::to_string(row.line) +
             ",\"column\":" + std::to_string(row.column) + ",\"matches\":[" +
             JsonMatch(row.answer->answer.matches[row.match]) + "]}\n";
  }

  bool json_;
  bool color_;
  std::string file_;
  // Bounded by the codes that something knows.
  std::unordered_map<std::uint64_t, Row> rows_;
  std::uint64_t order_ = 0;
};

}  // namespace

void ScanWriter::Flush(std::ostream& out) {
  if (!text_.empty()) {
    out.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }
  out.flush();
}

std::unique_ptr<ScanWriter> MakeScanWriter(bool json, bool summary, bool color) {
  if (summary) {
    return std::make_unique<SummaryWriter>(json, color);
  }
  if (json) {
    return std::make_unique<JsonWriter>();
  }
  return std::make_unique<TextWriter>(color);
}

}  // namespace quillon
