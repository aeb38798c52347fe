// The scan's output, one writer per format: the lines with their codes for people, one JSON
// object per finding, or each code once with how often it occurred (text or JSON).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/answers.h"
#include "core/output_format.h"

namespace quillon {

// A code's answer with the writer's text of it, made once for every line that holds the code.
// Always owned by a ScanAnswerPointer: a writer that keeps it past its line takes a share.
struct ScanAnswer : std::enable_shared_from_this<ScanAnswer> {
  ReadingAnswer answer;
  std::string text;  // ScanWriter::AnswerText
};
using ScanAnswerPointer = std::shared_ptr<const ScanAnswer>;

struct ScanFinding {
  std::uint64_t line = 0;
  std::uint64_t column = 0;
  std::string_view text;  // as written
  ReadingKind reading = ReadingKind::Hex;
  // Lives at least until the LineEnd of the finding's line. Not shared for each finding: the
  // count a share keeps is changed by an atomic instruction, twice a finding on a dense log.
  const ScanAnswer* answer = nullptr;
};

// Takes a writer's text on its way out; false when nothing more can be written.
using EmitText = std::function<bool(std::string_view text)>;

class ScanWriter {
 public:
  virtual ~ScanWriter() = default;
  // name: empty when only one input is scanned.
  virtual void StartFile(std::string_view name) = 0;
  virtual void Finding(const ScanFinding& finding) = 0;
  // The same finding count times, as a summary kept per file is handed on.
  virtual void Findings(const ScanFinding& finding, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) {
      Finding(finding);
    }
  }
  // At the end of each line that held a finding.
  virtual void LineEnd(std::uint64_t line, std::string_view shown, bool cut) = 0;
  virtual void Finish() {}
  // What the writer writes of an answer wherever the code is found, made once per code.
  virtual std::string AnswerText(const ReadingAnswer&) const { return {}; }

  // Hands what is made to emit (also when nothing is, so that emit can push out what it holds)
  // and returns what emit returns; a writer holds at most about kOutputFlushSize between flushes.
  bool Flush(const EmitText& emit);
  bool Full() const { return text_.size() >= kOutputFlushSize; }

 protected:
  std::string text_;
};

std::unique_ptr<ScanWriter> MakeScanWriter(OutputFormat format, ScanLayout layout, TextStyle style);

}  // namespace quillon
