#include "core/output_writer.h"

#include "core/json_report.h"
#include "core/json_text.h"
#include "core/report.h"
#include "core/terminal_text.h"

namespace quillon {

namespace {

class TextOutput final : public OutputWriter {
 public:
  explicit TextOutput(TextStyle style) : style_(style) {}
  void Answer(std::string& out, std::string_view query,
              const ReadingAnswer& answer) const override {
    WriteTextAnswer(out, query, answer, style_.color);
  }
  bool Rejection(std::string&, std::string_view, std::string_view) const override { return false; }
  void Defines(std::string& out, const std::vector<DefineRow>& rows) const override {
    WriteTextSearch(out, rows, style_.color);
  }
  void Descriptions(std::string& out, const std::vector<KindAnswer>& found) const override {
    WriteTextDescriptions(out, found, style_.color);
  }
  std::unique_ptr<ScanWriter> Scan(ScanLayout layout) const override {
    return MakeScanWriter(OutputFormat::Text, layout, style_);
  }
  void SkippedFile(std::string& out, std::string_view path) const override {
    out += "skipped binary file ";
    AppendTerminalText(out, path);
    out += '\n';
  }

 private:
  const TextStyle style_;
};

class JsonOutput final : public OutputWriter {
 public:
  void Answer(std::string& out, std::string_view query,
              const ReadingAnswer& answer) const override {
    WriteJsonAnswer(out, query, answer);
  }
  bool Rejection(std::string& out, std::string_view query,
                 std::string_view message) const override {
    WriteJsonRejection(out, query, message);
    return true;
  }
  void Defines(std::string& out, const std::vector<DefineRow>& rows) const override {
    WriteJsonSearch(out, rows);
  }
  void Descriptions(std::string& out, const std::vector<KindAnswer>& found) const override {
    WriteJsonDescriptions(out, found);
  }
  std::unique_ptr<ScanWriter> Scan(ScanLayout layout) const override {
    return MakeScanWriter(OutputFormat::Json, layout, {});
  }
  void SkippedFile(std::string& out, std::string_view path) const override {
    out += '{';
    JsonMembers(out).String("skipped", path).String("reason", "binary");
    out += "}\n";
  }
};

}  // namespace

std::unique_ptr<OutputWriter> MakeOutputWriter(OutputFormat format, TextStyle style) {
  if (format == OutputFormat::Json) {
    return std::make_unique<JsonOutput>();
  }
  return std::make_unique<TextOutput>(style);
}

}  // namespace quillon
