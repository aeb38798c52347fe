#include "core/json_session.h"

#include <utility>

#include "core/documented_search.h"
#include "core/json_text.h"
#include "core/readings.h"

namespace quillon {

namespace {

// As the command line refuses an empty search: every define or code would be found.
constexpr std::string_view kNothingToLookFor = "a search needs a text to look for";

OpenedDefines OpenChecked(const std::string& path) {
  return OpenDefines({DefinePlace{path, true}}, DefineCheck::FileAndSchema);
}

}  // namespace

std::string JsonErrorLine(std::string_view message) {
  std::string line = "{";
  JsonMembers(line).String("error", message);
  return line + "}\n";
}

JsonSession::JsonSession(const std::string& path, std::string_view language)
    : JsonSession(OpenChecked(path), language) {}

JsonSession::JsonSession(OpenedDefines opened, std::string_view language)
    : problem_(std::move(opened.problem)),
      defines_(std::move(opened.rows)),
      documentation_(defines_->Connection(), language),
      messages_(none_, documentation_),
      documented_(documentation_.HasDescriptions() ? &documentation_ : nullptr),
      writer_(MakeOutputWriter(OutputFormat::Json, TextStyle{})),
      answers_(Messages(), *defines_, documented_, &documentation_) {}

MessageSource& JsonSession::Messages() {
  return documented_ != nullptr ? static_cast<MessageSource&>(messages_) : none_;
}

std::string JsonSession::FailureLine() const {
  return JsonErrorLine("cannot read the database: " + defines_->Failure().value_or(std::string()));
}

std::string JsonSession::Answer(std::string_view text) {
  std::string out;
  for (const std::string& query : QueriesOfText(text)) {
    const QueryOutcome outcome = answers_.Ask(query);
    if (outcome.tablesFailed) {
      return out + FailureLine();
    }
    if (outcome.answers.empty()) {
      writer_->Rejection(out, query, outcome.rejection);
    }
    for (const ReadingAnswer& answer : outcome.answers) {
      writer_->Answer(out, query, answer);
    }
  }
  return out;
}

std::string JsonSession::SearchNames(std::string_view part) {
  if (part.empty()) {
    return JsonErrorLine(kNothingToLookFor);
  }
  const std::vector<DefineRow> found = defines_->SearchNames(part);
  if (defines_->Failure()) {
    return FailureLine();
  }
  std::string out;
  writer_->Defines(out, found);
  return out;
}

std::string JsonSession::SearchText(std::string_view text) {
  if (TrimSpace(text).empty()) {
    return JsonErrorLine(kNothingToLookFor);
  }
  std::vector<KindAnswer> found;
  if (documented_ != nullptr) {
    AddDocumentedFinds(found, *documented_, messages_, *defines_, TrimSpace(text));
  }
  if (defines_->Failure()) {
    return FailureLine();
  }
  std::string out;
  writer_->Descriptions(out, found);
  return out;
}

const NameSet* JsonSession::ScanNames() {
  if (!scanTables_) {
    scanTables_.emplace(ReadScanTables(*defines_, documented_, std::vector<ValueRange>{}));
  }
  return defines_->Failure() ? nullptr : &scanTables_->names;
}

const SetupTables& JsonSession::ScanSetup() {
  if (!setup_) {
    setup_ = documentation_.ReadSetupTables(documented_ != nullptr);
  }
  return *setup_;
}

JsonScan::JsonScan(std::shared_ptr<JsonSession> session)
    : session_(std::move(session)), writer_(session_->writer_->Scan(ScanLayout::Lines)) {
  const NameSet* names = session_->ScanNames();
  if (names == nullptr) {
    text_ = session_->FailureLine();
    return;
  }
  JsonSession& tables = *session_;
  scanner_ = std::make_unique<Scanner>(
      *names, DocumentedAsk(tables.Messages(), *tables.defines_, tables.documented_),
      &tables.ScanSetup(), &*tables.scanTables_->known);
  writer_->StartFile({});
  scanner_->Begin(*writer_, Collect());
}

EmitText JsonScan::Collect() {
  return [this](std::string_view text) {
    text_ += text;
    return true;
  };
}

JsonScan::~JsonScan() = default;

std::string JsonScan::Taken() {
  return std::exchange(text_, std::string());
}

void JsonScan::Failed() {
  writer_->Flush(Collect());
  text_ += session_->FailureLine();
  scanner_.reset();
}

std::string JsonScan::Feed(std::string_view bytes) {
  if (scanner_ && scanner_->Feed(bytes) == ScanEnd::TablesFailed) {
    Failed();
  }
  return Taken();
}

std::string JsonScan::End() {
  if (scanner_) {
    if (scanner_->End() == ScanEnd::TablesFailed) {
      Failed();
    } else {
      writer_->Finish();
      writer_->Flush(Collect());
      scanner_.reset();
    }
  }
  return Taken();
}

}  // namespace quillon
