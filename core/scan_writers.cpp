#include "core/scan_writers.h"

#include <nlohmann/json.hpp>

#include <algorithm>

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

// "line", "column" and "text", then the answer's members: the object of a finding without
// its braces.
void AppendFindingMembers(std::string& out, const ScanFinding& finding) {
  out += "\"line\":" + std::to_string(finding.line) +
         ",\"column\":" + std::to_string(finding.column) + ",\"text\":\"";
  out += finding.text;  // letters, digits, '_' and '-' need no escapes
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

class SummaryWriter final : public ScanWriter {
 public:
  SummaryWriter(bool json, bool color) : json_(json), color_(color) {}

  void StartFile(std::string_view name) override { file_ = std::string(name); }

  void Finding(const ScanFinding& finding) override {
    // Numbers count by value however they are written; names by name.
    const Reading& reading = finding.answer->answer.reading;
    Entry& entry =
        reading.kind == ReadingKind::Name ? names_[reading.name] : numbers_[reading.value];
    if (entry.count++ == 0) {
      entry.order = order_++;
      entry.file = file_;
      entry.line = finding.line;
      entry.column = finding.column;
      entry.text = std::string(finding.text);
      entry.answer = finding.answer;
    }
  }
  void LineEnd(std::uint64_t, std::string_view, bool) override {}

  void Finish() override {
    std::vector<const Entry*> entries;
    for (const auto& [value, entry] : numbers_) {
      entries.push_back(&entry);
    }
    for (const auto& [name, entry] : names_) {
      entries.push_back(&entry);
    }
    // Most frequent first; then in the order they first occurred.
    std::sort(entries.begin(), entries.end(), [](const Entry* a, const Entry* b) {
      return a->count != b->count ? a->count > b->count : a->order < b->order;
    });
    for (const Entry* entry : entries) {
      json_ ? AppendJson(*entry) : AppendText(*entry);
    }
  }

 private:
  struct Entry {
    std::uint64_t count = 0;
    std::uint64_t order = 0;  // of first occurrence among the codes
    std::string file;
    std::uint64_t line = 0;
    std::uint64_t column = 0;
    std::string text;  // as first written
    ScanAnswerPointer answer;
  };

  void AppendText(const Entry& entry) {
    std::string count = std::to_string(entry.count);
    count.insert(0, count.size() < 8 ? 8 - count.size() : 0, ' ');
    text_ += count + "  ";
    AppendTerminalText(text_, entry.text, Paint::Found, color_);
    text_ += "  first at " + (entry.file.empty() ? "" : TerminalText(entry.file) + ':') +
             std::to_string(entry.line) + "  " + entry.answer->shortLine + '\n';
  }

  // The first occurrence's finding, with how often the code occurred.
  void AppendJson(const Entry& entry) {
    text_ += "{\"count\":" + std::to_string(entry.count) + ',' + FileMember(entry.file);
    AppendFindingMembers(text_, {entry.line, entry.column, entry.text, entry.answer});
    text_ += "}\n";
  }

  bool json_;
  bool color_;
  std::string file_;
  // Bounded by the codes that something knows.
  std::unordered_map<std::uint32_t, Entry> numbers_;
  std::unordered_map<std::string, Entry> names_;
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
