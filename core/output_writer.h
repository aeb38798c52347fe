// One writer per output format for everything a run writes on standard output: the answers to
// queries, the rows of a name search, the codes of a description search and the scan's output.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/answers.h"
#include "core/output_format.h"
#include "core/scan_writers.h"
#include "lookup/define_rows.h"

namespace quillon {

// Each function appends whole lines to out.
class OutputWriter {
 public:
  virtual ~OutputWriter() = default;
  virtual void Answer(std::string& out, std::string_view query,
                      const ReadingAnswer& answer) const = 0;
  // False when the format has no line for a rejected query: the caller says it on standard
  // error instead.
  virtual bool Rejection(std::string& out, std::string_view query,
                         std::string_view message) const = 0;
  virtual void Defines(std::string& out, const std::vector<DefineRow>& rows) const = 0;
  virtual void Descriptions(std::string& out, const std::vector<KindAnswer>& found) const = 0;
  virtual std::unique_ptr<ScanWriter> Scan(ScanLayout layout) const = 0;
  // After a scan's summary: a file under a folder left unread because it is binary.
  virtual void SkippedFile(std::string& out, std::string_view path) const = 0;
};

std::unique_ptr<OutputWriter> MakeOutputWriter(OutputFormat format, TextStyle style);

}  // namespace quillon
