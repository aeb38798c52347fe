#include "cli/report.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "query/text_routines.h"

namespace quillon {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kFieldIndent = "    ";
constexpr std::size_t kLabelWidth = 14;

void AppendField(std::string& out, std::string_view label, std::string_view text) {
  std::string line(kFieldIndent);
  line += label;
  line.append(kLabelWidth - std::min(kLabelWidth - 1, label.size()), ' ');
  // Continuation lines stand under the first line's text.
  const std::string indent(line.size(), ' ');
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    line += TrimTrailingSpace(text.substr(start, end - start));
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
  std::string line(query);
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

// A code of another kind on one line: kind, value, first name and how many others, and its
// description, e.g. "Win32 998 ERROR_NOACCESS: Invalid access to memory location."
std::string CodeLine(const CodeAnswer& code, std::string_view note = {}) {
  std::string line(ErrorTypeName(code.type));
  line += ' ';
  line += code.type == ErrorType::Win32 ? std::to_string(code.value) : HexText(code.value);
  if (!code.names.empty()) {
    line += ' ' + code.names.front().name;
    if (code.names.size() > 1) {
      line += " +" + std::to_string(code.names.size() - 1);
    }
  }
  if (!note.empty()) {
    line += " (" + std::string(note) + ")";
  }
  if (code.description) {
    line += ": ";
    for (const char c : *code.description) {
      line += (c == '\n' || c == '\r') ? ' ' : c;
    }
  }
  return line;
}

std::string_view RelationLabel(Relation relation) {
  switch (relation) {
    case Relation::NtStatus:
      return "Mapped from";
    case Relation::Hresult:
      return "As HRESULT";
    case Relation::Win32:
      break;
  }
  return "Maps to";
}

std::string NameText(const NamedDefine& define) {
  return define.header.empty() ? define.name : define.name + " (" + define.header + ")";
}

// Dumps never throw on bytes that are not UTF-8 (a table's 8-bit texts): they are replaced.
void AppendJsonLine(std::string& out, const Json& object) {
  out += object.dump(-1, ' ', false, Json::error_handler_t::replace);
  out += '\n';
}

Json NamesJson(const std::vector<NamedDefine>& defines) {
  Json names = Json::array();
  for (const NamedDefine& define : defines) names.push_back(define.name);
  return names;
}

Json HeadersJson(const std::vector<NamedDefine>& defines) {
  Json headers = Json::array();
  for (const NamedDefine& define : defines) headers.push_back(define.header);
  return headers;
}

Json DescriptionJson(const std::optional<std::string>& description) {
  return description ? Json(*description) : Json(nullptr);
}

Json WrappedJson(const CodeAnswer& code) {
  Json object;
  object["type"] = ErrorTypeName(code.type);
  object["value"] = code.value;
  object["hex"] = HexText(code.value);
  object["names"] = NamesJson(code.names);
  object["headers"] = HeadersJson(code.names);
  object["description"] = DescriptionJson(code.description);
  return object;
}

Json RelatedJson(const RelatedAnswer& relative) {
  Json object;
  object["relation"] = RelationName(relative.relation);
  object["type"] = ErrorTypeName(relative.code.type);
  object["value"] = relative.code.value;
  object["hex"] = HexText(relative.code.value);
  object["names"] = NamesJson(relative.code.names);
  object["description"] = DescriptionJson(relative.code.description);
  return object;
}

Json MatchJson(const KindAnswer& match) {
  Json object;
  object["type"] = ErrorTypeName(match.type);
  object["value"] = match.value;
  object["hex"] = HexText(match.value);
  object["code"] = match.code;
  object["status"] = match.status;
  object["facility"] = match.facility;
  object["names"] = NamesJson(match.names);
  object["headers"] = HeadersJson(match.names);
  object["description"] = DescriptionJson(match.description);
  if (match.wraps) {
    object["wraps"] = WrappedJson(*match.wraps);
  }
  if (!match.related.empty()) {
    Json related = Json::array();
    for (const RelatedAnswer& relative : match.related) related.push_back(RelatedJson(relative));
    object["related"] = std::move(related);
  }
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

void WriteTextAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer) {
  out += ReadingLine(query, answer.reading);
  out += '\n';
  if (answer.matches.empty()) {
    out += "  not found\n";
    return;
  }
  for (const KindAnswer& match : answer.matches) {
    out += "  ";
    out += ErrorTypeName(match.type);
    out += ' ' + HexText(match.value) + '\n';
    AppendField(out, "Status", match.status);
    if (!match.facility.empty()) {
      AppendField(out, "Facility", match.facility);
    }
    AppendField(out, "Code", match.code);
    for (const NamedDefine& define : match.names) {
      AppendField(out, "#Define", NameText(define));
    }
    AppendField(out, "Description", match.description.value_or("(none)"));
    if (match.wraps) {
      AppendField(out, "Wraps", CodeLine(*match.wraps, match.wrapper));
    }
    for (const RelatedAnswer& relative : match.related) {
      AppendField(out, RelationLabel(relative.relation), CodeLine(relative.code));
    }
  }
}

void WriteTextSearch(std::string& out, const std::vector<DefineRow>& rows) {
  std::size_t nameWidth = 0;
  for (const DefineRow& row : rows) {
    nameWidth = std::max(nameWidth, row.define.name.size());
  }
  for (const DefineRow& row : rows) {
    std::string line(ErrorTypeName(row.type));
    line.resize(10, ' ');
    line += HexText(row.value) + "  " + row.define.name;
    if (!row.define.header.empty()) {
      line.append(nameWidth - row.define.name.size() + 2, ' ');
      line += row.define.header;
    }
    out += line + '\n';
  }
}

std::string ShortAnswerLine(const ReadingAnswer& answer) {
  std::string line;
  DescriptionOf description;
  for (const KindAnswer& match : answer.matches) {
    line += line.empty() ? "" : "; ";
    line += ErrorTypeName(match.type);
    line += ' ';
    line += match.names.empty() ? HexText(match.value) : match.names.front().name;
    if (match.names.size() > 1) {
      line += " +" + std::to_string(match.names.size() - 1);
    }
    if (match.names.empty() && match.wraps && !match.wraps->names.empty()) {
      line += " (wraps " + match.wraps->names.front().name + ")";
    }
    // A description of the code itself comes before any wrapped code's or relative's.
    const DescriptionOf first = FirstDescription(match);
    if (description.text == nullptr || (!description.owner.empty() && first.owner.empty())) {
      description = first;
    }
  }
  if (description.text != nullptr) {
    line += ": ";
    if (!description.owner.empty()) {
      line += "(" + description.owner + ") ";
    }
    for (const char c : *description.text) {
      line += (c == '\n' || c == '\r') ? ' ' : c;
    }
  }
  return line;
}

void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer) {
  Json object;
  object["query"] = query;
  AddAnswer(object, answer);
  AppendJsonLine(out, object);
}

std::string JsonAnswerMembers(const ReadingAnswer& answer) {
  Json object = Json::object();
  AddAnswer(object, answer);
  const std::string text = object.dump(-1, ' ', false, Json::error_handler_t::replace);
  return text.substr(1, text.size() - 2);
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
