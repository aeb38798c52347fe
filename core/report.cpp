#include "core/report.h"

#include "core/documentation_report.h"

#include <algorithm>

#include "core/terminal_text.h"
#include "query/text_routines.h"

namespace quillon {

namespace {

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
    line += ": " + OnOneLine(MarkedDescription(*code.description, code.source));
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
    AppendField(out, "Description",
                match.description ? MarkedDescription(*match.description, match.source) : "(none)");
    AppendDocumentationText(out, match);
    if (match.wraps) {
      AppendField(out, "Wraps", CodeLine(*match.wraps, match.wrapper));
    }
    for (const RelatedAnswer& relative : match.related) {
      AppendField(out, RelationLabel(relative.relation), CodeLine(relative.code));
    }
  }
  if (answer.documentation.extend) {
    AppendExtendText(out, *answer.documentation.extend);
  }
}

namespace {

// A list's first column: the kind, padded to ten columns (at least one blank after it).
void AppendKindColumn(std::string& out, ErrorType type, bool color) {
  const std::string_view kind = ErrorTypeName(type);
  AppendTerminalText(out, kind, Paint::Kind, color);
  out.append(10 - std::min<std::size_t>(9, kind.size()), ' ');
}

}  // namespace

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
    AppendKindColumn(out, row.type, color);
    out += HexText(row.value) + "  ";
    AppendTerminalText(out, names[i], Paint::Name, color);
    if (!row.define.header.empty()) {
      out.append(nameWidth - names[i].size() + 2, ' ');
      AppendTerminalText(out, row.define.header);
    }
    out += '\n';
  }
}

namespace {

// A match on a scan line: its kind and first name and how many others it has.
void AppendShortMatch(std::string& line, const KindAnswer& match, bool color) {
  AppendTerminalText(line, ErrorTypeName(match.type), Paint::Kind, color);
  line += ' ';
  if (match.names.empty()) {
    line += HexText(match.value);
  } else {
    AppendTerminalText(line, match.names.front().name, Paint::Name, color);
  }
  if (match.names.size() > 1) {
    line += " +" + std::to_string(match.names.size() - 1);
  }
  if (match.names.empty() && match.wraps && !match.wraps->names.empty()) {
    line += " (wraps ";
    AppendTerminalText(line, match.wraps->names.front().name);
    line += ')';
  }
}

void AppendShortDescription(std::string& line, const DescriptionOf& description) {
  if (description.text == nullptr) {
    return;
  }
  line += ": ";
  if (!description.owner.empty()) {
    line += '(';
    AppendTerminalText(line, description.owner);
    line += ") ";
  }
  AppendTerminalText(line, OnOneLine(MarkedDescription(*description.text, description.source)));
}

}  // namespace

void WriteTextDescriptions(std::string& out, const std::vector<KindAnswer>& found, bool color) {
  for (const KindAnswer& answer : found) {
    std::string line;
    AppendKindColumn(line, answer.type, color);
    line += HexText(answer.value) + "  ";
    // A table's text and the database's names may hold control characters: shown escaped.
    for (std::size_t i = 0; i < answer.names.size(); ++i) {
      line += i == 0 ? "" : ", ";
      AppendTerminalText(line, answer.names[i].name, Paint::Name, color);
    }
    line += answer.names.empty() ? "(no name)  " : "  ";
    AppendTerminalText(line, OnOneLine(answer.description.value_or("")));
    out += line + '\n';
  }
}

std::string ShortAnswerLine(const ReadingAnswer& answer, bool color) {
  std::string line;
  DescriptionOf description;
  for (const KindAnswer& match : answer.matches) {
    line += line.empty() ? "" : "; ";
    AppendShortMatch(line, match, color);
    // A description of the code itself comes before any wrapped code's or relative's.
    const DescriptionOf first = FirstDescription(match);
    if (description.text == nullptr || (!description.owner.empty() && first.owner.empty())) {
      description = first;
    }
  }
  AppendShortDescription(line, description);
  line += PastedShortText(answer);  // a pasted bug check's case, setup's extend code
  return line;
}

std::string ShortMatchLine(const KindAnswer& match, bool color) {
  std::string line;
  AppendShortMatch(line, match, color);
  AppendShortDescription(line, FirstDescription(match));
  return line;
}

std::string DatabaseFailureLine(std::string_view databaseName, const DefineRows& defines) {
  std::string line = "quillon-cli: cannot read the database ";
  line += databaseName;
  line += ": ";
  AppendTerminalText(line, defines.Failure().value_or(std::string()));
  return line + '\n';
}

}  // namespace quillon
