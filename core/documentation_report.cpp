#include "core/documentation_report.h"

#include <algorithm>
#include <cstdio>

#include "core/documentation.h"
#include "core/terminal_text.h"

namespace quillon {

namespace {

constexpr std::size_t kLabelWidth = 14;
// A remedy line that gives the page's cause, which is read before what to do.
constexpr std::string_view kCause = "Cause: ";

void Field(std::string& out, std::string_view label, std::string_view text) {
  out += "    ";
  out += label;
  out.append(kLabelWidth - std::min(kLabelWidth - 1, label.size()), ' ');
  AppendTerminalText(out, text);
  out += '\n';
}

std::string Hex64(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// "Parameter 1 = 0x0": the key of a case as the page writes it when it gives no number.
std::string CaseKey(const BugCheckCaseText& row) {
  return "Parameter " + std::to_string(row.parameter) + " = " +
         (row.value ? Hex64(*row.value) : row.valueText);
}

// The meaning of parameter number, the case's own where it gives one.
const std::string* MeaningOf(const KindAnswer& match, const BugCheckCaseText* selected,
                             int number) {
  if (selected != nullptr && !selected->meanings[static_cast<std::size_t>(number - 1)].empty()) {
    return &selected->meanings[static_cast<std::size_t>(number - 1)];
  }
  for (const BugCheckParameterText& parameter : match.documentation.parameters) {
    if (parameter.number == number) {
      return &parameter.meaning;
    }
  }
  return nullptr;
}

void AppendRemedies(std::string& out, const std::vector<DocumentedText>& remedies) {
  std::string page;
  for (const DocumentedText& remedy : remedies) {
    const std::string_view text = remedy.text;
    if (text.starts_with(kCause)) {
      Field(out, "Cause", text.substr(kCause.size()));
    } else {
      Field(out, "Remedy", text);
    }
    if (remedy.page != page && !remedy.page.empty()) {
      page = remedy.page;
    }
  }
  if (!page.empty()) {
    Field(out, "Remedy from", page);
  }
}

void AppendRemediesJson(std::string& out, const std::vector<DocumentedText>& remedies) {
  out += '[';
  for (std::size_t i = 0; i < remedies.size(); ++i) {
    out += i == 0 ? "{" : ",{";
    JsonMembers(out).String("text", remedies[i].text).String("page", remedies[i].page);
    out += '}';
  }
  out += ']';
}

void AppendCaseJson(std::string& out, const BugCheckCaseText& row) {
  out += '{';
  JsonMembers members(out);
  members.Number("parameter", row.parameter);
  if (row.value) {
    members.Number("value", *row.value);
  } else {
    members.Null("value");
  }
  members.String("valueText", row.valueText).String("cause", row.cause);
  std::string& parameters = members.Key("parameters");
  parameters += '[';
  bool first = true;
  for (std::size_t i = 0; i < row.meanings.size(); ++i) {
    if (row.meanings[i].empty()) {
      continue;
    }
    parameters += first ? "{" : ",{";
    first = false;
    JsonMembers(parameters)
        .Number("number", static_cast<std::int64_t>(i + 1))
        .String("meaning", row.meanings[i]);
    parameters += '}';
  }
  parameters += ']';
  out += '}';
}

// The phase or operation's number, with its name and text (null where the pages give none).
void AppendStep(std::string& out, unsigned number, const std::optional<SetupStepName>& step) {
  out += '{';
  JsonMembers members(out);
  members.Number("value", number);
  if (step) {
    members.String("name", step->name);
  } else {
    members.Null("name");
  }
  if (step && !step->text.empty()) {
    members.String("text", step->text);
  } else {
    members.Null("text");
  }
  out += '}';
}

// "0x0D SP_EXECUTION_OP_MIGRATE_DATA: text".
std::string StepLine(std::string line, const std::optional<SetupStepName>& step) {
  if (step) {
    line += ' ' + step->name;
    if (!step->text.empty()) {
      line += ": " + step->text;
    }
  } else {
    line += " (not documented)";
  }
  return line;
}

}  // namespace

std::string PastedShortText(const ReadingAnswer& answer) {
  std::string text;
  for (const KindAnswer& match : answer.matches) {
    if (!match.documentation.arguments) {
      continue;
    }
    if (const BugCheckCaseText* selected =
            SelectedCase(match.documentation.cases, *match.documentation.arguments)) {
      text += " | " + CaseKey(*selected) + ": " + selected->cause;
    }
  }
  if (const std::optional<ExtendAnswer>& extend = answer.documentation.extend) {
    char operation[8];
    std::snprintf(operation, sizeof operation, "0x%02X", extend->operationNumber);
    char value[16];
    std::snprintf(value, sizeof value, "0x%05X", extend->value);
    text += std::string(" | extend ") + value + ": phase " +
            StepLine(std::to_string(extend->phaseNumber), extend->phase) + ", operation " +
            StepLine(operation, extend->operation);
    if (extend->pair && !extend->pair->cause.empty()) {
      text += "; cause: " + extend->pair->cause;
    }
  }
  return TerminalText(text);
}

std::string RemedyLines(const KindAnswer& match, std::string_view indent) {
  std::string lines;
  for (const DocumentedText& remedy : match.documentation.remedies) {
    const bool cause = std::string_view(remedy.text).starts_with(kCause);
    lines += indent;
    lines += cause ? "Cause   " : "Remedy  ";
    AppendTerminalText(lines, std::string_view(remedy.text).substr(cause ? kCause.size() : 0));
    lines += '\n';
  }
  if (!match.documentation.remedies.empty()) {
    lines += indent;
    lines += "From    ";
    AppendTerminalText(lines, match.documentation.remedies.back().page);
    lines += '\n';
  }
  return lines;
}

std::string MarkedDescription(const std::string& text, DescriptionSource source) {
  if (source != DescriptionSource::Documentation) {
    return text;
  }
  return text + " [documentation]";
}

void AppendDocumentationText(std::string& out, const KindAnswer& match) {
  const MatchDocumentation& doc = match.documentation;
  const BugCheckCaseText* selected =
      doc.arguments ? SelectedCase(doc.cases, *doc.arguments) : nullptr;
  for (int number = 1; number <= 4; ++number) {
    const std::string* meaning = MeaningOf(match, selected, number);
    if (meaning == nullptr && !doc.arguments) {
      continue;
    }
    std::string line;
    if (doc.arguments) {
      line = Hex64((*doc.arguments)[static_cast<std::size_t>(number - 1)]);
      if (meaning != nullptr) {
        line += ": ";
      }
    }
    if (meaning != nullptr) {
      line += *meaning;
    }
    Field(out, "Parameter " + std::to_string(number), line);
  }
  if (selected != nullptr) {
    Field(out, "Case", CaseKey(*selected) + ": " + selected->cause);
  } else if (!doc.arguments) {
    // Each case with what the other parameters mean in it.
    for (const BugCheckCaseText& row : doc.cases) {
      Field(out, "Case", CaseKey(row) + ": " + row.cause);
      for (std::size_t i = 0; i < row.meanings.size(); ++i) {
        if (!row.meanings[i].empty()) {
          Field(out, "", "  Parameter " + std::to_string(i + 1) + ": " + row.meanings[i]);
        }
      }
    }
  }
  AppendRemedies(out, doc.remedies);
}

void AppendExtendText(std::string& out, const ExtendAnswer& extend) {
  char line[40];
  std::snprintf(line, sizeof line, "  Extend code 0x%05X\n", extend.value);
  out += line;
  char operation[8];
  std::snprintf(operation, sizeof operation, "0x%02X", extend.operationNumber);
  Field(out, "Phase", StepLine(std::to_string(extend.phaseNumber), extend.phase));
  Field(out, "Operation", StepLine(operation, extend.operation));
  if (extend.pair) {
    if (!extend.pair->cause.empty()) {
      Field(out, "Cause", extend.pair->cause);
    }
    AppendRemedies(out, extend.pair->remedies);
  }
}

void AddDocumentationMembers(JsonMembers& members, const KindAnswer& match) {
  const MatchDocumentation& doc = match.documentation;
  if (!doc.parameters.empty()) {
    std::string& parameters = members.Key("parameters");
    parameters += '[';
    for (std::size_t i = 0; i < doc.parameters.size(); ++i) {
      parameters += i == 0 ? "{" : ",{";
      JsonMembers(parameters)
          .Number("number", doc.parameters[i].number)
          .String("meaning", doc.parameters[i].meaning);
      parameters += '}';
    }
    parameters += ']';
  }
  if (!doc.cases.empty()) {
    std::string& cases = members.Key("cases");
    cases += '[';
    for (std::size_t i = 0; i < doc.cases.size(); ++i) {
      cases += i == 0 ? "" : ",";
      AppendCaseJson(cases, doc.cases[i]);
    }
    cases += ']';
  }
  AddPastedMembers(members, match);
  AddRemediesMember(members, match);
}

void AddPastedMembers(JsonMembers& members, const KindAnswer& match) {
  const MatchDocumentation& doc = match.documentation;
  if (!doc.arguments) {
    return;
  }
  std::string& arguments = members.Key("arguments");
  arguments += '[';
  for (std::size_t i = 0; i < doc.arguments->size(); ++i) {
    arguments += i == 0 ? "" : ",";
    AppendJsonString(arguments, Hex64((*doc.arguments)[i]));
  }
  arguments += ']';
  if (const BugCheckCaseText* selected = SelectedCase(doc.cases, *doc.arguments)) {
    AppendCaseJson(members.Key("case"), *selected);
  }
}

void AddRemediesMember(JsonMembers& members, const KindAnswer& match) {
  if (!match.documentation.remedies.empty()) {
    AppendRemediesJson(members.Key("remedies"), match.documentation.remedies);
  }
}

void AddExtendMember(JsonMembers& members, const ExtendAnswer& extend) {
  std::string& out = members.Key("extend");
  out += '{';
  JsonMembers object(out);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%05X", extend.value);
  object.Number("value", extend.value).String("hex", hex);
  AppendStep(object.Key("phase"), extend.phaseNumber, extend.phase);
  AppendStep(object.Key("operation"), extend.operationNumber, extend.operation);
  if (extend.pair && !extend.pair->cause.empty()) {
    object.String("cause", extend.pair->cause);
  } else {
    object.Null("cause");
  }
  AppendRemediesJson(object.Key("remedies"),
                     extend.pair ? extend.pair->remedies : std::vector<DocumentedText>{});
  out += '}';
}

}  // namespace quillon
