#include "cli/report.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "cli/terminal_text.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kFieldIndent = "    ";
constexpr std::size_t kLabelWidth = 14;

std::string FieldLabel(std::string_view label) {
  std::string line(kFieldIndent);
  line += label;
  line.append(kLabelWidth - std::min(kLabelWidth - 1, label.size()), ' ');
  return line;
}

void AppendField(std::string& out, std::string_view label, std::string_view text) {
  std::string line = FieldLabel(label);
  // Continuation lines stand under the first line's text.
  const std::string indent(line.size(), ' ');
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    AppendTerminalText(line, TrimTrailingSpace(text.substr(start, end - start)));
    out += line;
    out += '\n';
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
    line = indent;
  }
}

std::string ReadingLine(std::string_view query, const Reading& reading) {
  std::string line = TerminalText(query);
  line += "  ";
  line += ReadingName(reading.kind);
  if (reading.kind != ReadingKind::Name) {
    line += ' ' + HexText(reading.value) + " = " + std::to_string(reading.value);
    if (static_cast<std::int32_t>(reading.value) < 0) {
      line += " = " + FormatSigned(reading.value);
    }
  }
  return line;
}

void AppendDefineField(std::string& out, const NamedDefine& define, bool color) {
  out += FieldLabel("#Define");
  AppendTerminalText(out, define.name, Paint::Name, color);
  if (!define.header.empty()) {
    out += " (";
    AppendTerminalText(out, define.header);
    out += ')';
  }
  out += '\n';
}

// Dumps never throw on bytes that are not UTF-8 (a table's 8-bit texts): they are replaced.
void AppendJsonLine(std::string& out, const Json& object) {
  out += object.dump(-1, ' ', false, Json::error_handler_t::replace);
  out += '\n';
}

Json MatchJson(const KindAnswer& match) {
  Json names = Json::array();
  Json headers = Json::array();
  for (const NamedDefine& define : match.names) {
    names.push_back(define.name);
    headers.push_back(define.header);
  }
  Json object;
  object["type"] = ErrorTypeName(match.type);
  object["value"] = match.value;
  object["hex"] = HexText(match.value);
  object["code"] = match.code;
  object["status"] = match.status;
  object["facility"] = match.facility;
  object["names"] = std::move(names);
  object["headers"] = std::move(headers);
  object["description"] = match.description ? Json(*match.description) : Json(nullptr);
  return object;
}

// The reading and the matches, after whatever keys object already has.
void AddAnswer(Json& object, const ReadingAnswer& answer) {
  object["reading"] = ReadingName(answer.reading.kind);
  if (answer.reading.kind == ReadingKind::Name) {
    object["name"] = answer.reading.name;
  } else {
    object["value"] = answer.reading.value;
    object["hex"] = HexText(answer.reading.value);
    object["signed"] = static_cast<std::int32_t>(answer.reading.value);
  }
  Json matches = Json::array();
  for (const KindAnswer& match : answer.matches) {
    matches.push_back(MatchJson(match));
  }
  object["matches"] = std::move(matches);
}

}  // namespace

std::string HexText(std::uint32_t value) {
  return "0x" + FormatHex8(value);
}

void WriteTextAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer,
                     bool color) {
  out += ReadingLine(query, answer.reading);
  out += '\n';
  if (answer.matches.empty()) {
    out += "  not found\n";
    return;
  }
  for (const KindAnswer& match : answer.matches) {
    out += "  ";
    AppendTerminalText(out, ErrorTypeName(match.type), Paint::Kind, color);
    out += ' ' + HexText(match.value) + '\n';
    AppendField(out, "Status", match.status);
    if (!match.facility.empty()) {
      AppendField(out, "Facility", match.facility);
    }
    AppendField(out, "Code", match.code);
    for (const NamedDefine& define : match.names) {
      AppendDefineField(out, define, color);
    }
    AppendField(out, "Description", match.description.value_or("(none)"));
  }
}

void WriteTextSearch(std::string& out, const std::vector<DefineRow>& rows, bool color) {
  // Aligned by the names as shown, escapes included.
  std::vector<std::string> names;
  std::size_t nameWidth = 0;
  for (const DefineRow& row : rows) {
    names.push_back(TerminalText(row.define.name));
    nameWidth = std::max(nameWidth, names.back().size());
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DefineRow& row = rows[i];
    const std::string_view kind = ErrorTypeName(row.type);
    AppendTerminalText(out, kind, Paint::Kind, color);
    out.append(10 - std::min<std::size_t>(9, kind.size()), ' ');
    out += HexText(row.value) + "  ";
    AppendTerminalText(out, names[i], Paint::Name, color);
    if (!row.define.header.empty()) {
      out.append(nameWidth - names[i].size() + 2, ' ');
      AppendTerminalText(out, row.define.header);
    }
    out += '\n';
  }
}

std::string MatchesLine(const ReadingAnswer& answer, bool color) {
  std::string line;
  const std::string* description = nullptr;
  for (const KindAnswer& match : answer.matches) {
    line += line.empty() ? "" : "; ";
    AppendTerminalText(line, ErrorTypeName(match.type), Paint::Kind, color);
    line += ' ';
    if (match.names.empty()) {
      line += HexText(match.value);
    }
    for (std::size_t i = 0; i < match.names.size(); ++i) {
      line += i == 0 ? "" : ", ";
      AppendTerminalText(line, match.names[i].name, Paint::Name, color);
    }
    if (description == nullptr && match.description) {
      description = &*match.description;
    }
  }
  if (description != nullptr) {
    std::string oneLine = *description;
    std::replace_if(
        oneLine.begin(), oneLine.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    line += ": ";
    AppendTerminalText(line, oneLine);
  }
  return line;
}

void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer) {
  Json object;
  object["query"] = query;
  AddAnswer(object, answer);
  AppendJsonLine(out, object);
}

void WriteJsonFinding(std::string& out, const ScanFinding& finding) {
  Json object;
  if (!finding.file.empty()) {
    object["file"] = finding.file;
  }
  object["line"] = finding.line;
  object["column"] = finding.column;
  object["text"] = finding.text;
  AddAnswer(object, *finding.answer);
  AppendJsonLine(out, object);
}

void WriteJsonRejection(std::string& out, std::string_view query, std::string_view message) {
  Json object;
  object["query"] = query;
  object["error"] = message;
  AppendJsonLine(out, object);
}

void WriteJsonSearch(std::string& out, const std::vector<DefineRow>& rows) {
  for (const DefineRow& row : rows) {
    Json object;
    object["type"] = ErrorTypeName(row.type);
    object["value"] = row.value;
    object["hex"] = HexText(row.value);
    object["name"] = row.define.name;
    object["header"] = row.define.header;
    AppendJsonLine(out, object);
  }
}

}  // namespace quillon
