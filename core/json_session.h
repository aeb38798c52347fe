// A definitions database opened once and asked in JSON Lines, each line what
// `quillon-cli --json --no-messages` writes for the same question: descriptions come from the
// documentation's texts, as where no system's message tables can be read (the browser).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/documentation.h"
#include "core/known_codes.h"
#include "core/output_writer.h"
#include "core/query_answers.h"
#include "core/scan.h"
#include "core/word_reading.h"
#include "lookup/define_opener.h"
#include "lookup/define_rows.h"
#include "lookup/documentation_rows.h"
#include "lookup/message_source.h"

namespace quillon {

// {"error":message} and a line end: what a session gives for a question it cannot answer.
std::string JsonErrorLine(std::string_view message);

class JsonSession {
 public:
  // Opens the database file at path read-only; language is a tag such as "de-DE", whose texts
  // are taken where the database has them (else English).
  JsonSession(const std::string& path, std::string_view language);
  JsonSession(const JsonSession&) = delete;
  JsonSession& operator=(const JsonSession&) = delete;

  // Why the file cannot serve as a definitions database (one line); nothing when it can.
  const std::optional<std::string>& Problem() const { return problem_; }

  // The answers to every query the text holds (QueriesOfText), a rejected one's line included.
  std::string Answer(std::string_view text);
  // The defines whose name holds part; an empty part gives an {"error":...} line.
  std::string SearchNames(std::string_view part);
  // The codes whose documentation text holds text; blanks alone give an {"error":...} line.
  std::string SearchText(std::string_view text);

 private:
  friend class JsonScan;

  JsonSession(OpenedDefines opened, std::string_view language);

  // The documentation's texts where the database has them; else none.
  MessageSource& Messages();
  // {"error":...} for a database that failed while it was read.
  std::string FailureLine() const;
  // The define names a scan looks for, read at the first scan; null when the database failed.
  const NameSet* ScanNames();
  const SetupTables& ScanSetup();

  std::optional<std::string> problem_;
  std::unique_ptr<DefineRows> defines_;
  DocumentationRows documentation_;
  NoMessages none_;
  DocumentedMessages messages_;
  const DocumentationRows* documented_;  // null when the database holds no documentation
  std::unique_ptr<OutputWriter> writer_;
  QueryAnswers answers_;
  std::optional<ScanTables> scanTables_;  // read at the first scan
  std::optional<SetupTables> setup_;
};

// A text scanned in pieces of any size (a piece may end inside a line or a character); each
// call gives the findings completed so far, together what `quillon-cli --no-messages --scan
// --json` writes for the whole text. A failing database gives one {"error":...} line and ends
// the scan.
class JsonScan {
 public:
  // The scan keeps its session: a database opened again meanwhile does not end it.
  explicit JsonScan(std::shared_ptr<JsonSession> session);
  ~JsonScan();
  JsonScan(const JsonScan&) = delete;
  JsonScan& operator=(const JsonScan&) = delete;

  std::string Feed(std::string_view bytes);
  std::string End();

 private:
  // Appends what the writer hands out to text_.
  EmitText Collect();
  std::string Taken();
  void Failed();

  std::shared_ptr<JsonSession> session_;
  std::unique_ptr<ScanWriter> writer_;
  std::unique_ptr<Scanner> scanner_;  // null once the scan ended or could not begin
  std::string text_;                  // what the writer emitted since the last call
};

}  // namespace quillon
