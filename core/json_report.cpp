#include "core/json_report.h"

#include "core/documentation_report.h"

#include "core/json_text.h"
#include "core/report.h"

namespace quillon {

namespace {

// One field of every define as a JSON array: their names, or their headers.
void AppendDefineList(std::string& out, const std::vector<NamedDefine>& defines,
                      std::string NamedDefine::*field) {
  out += '[';
  for (std::size_t i = 0; i < defines.size(); ++i) {
    out += i == 0 ? "" : ",";
    AppendJsonString(out, defines[i].*field);
  }
  out += ']';
}

void AddDescription(JsonMembers& members, const std::optional<std::string>& description,
                    DescriptionSource source) {
  if (description) {
    members.String("description", *description).String("source", DescriptionSourceName(source));
  } else {
    members.Null("description");
  }
}

// The wrapped code with the macro that made the match of it, as the text's "Wraps" names it.
void AppendWrapped(std::string& out, const CodeAnswer& code, std::string_view macro) {
  out += '{';
  JsonMembers members(out);
  members.String("type", ErrorTypeName(code.type))
      .Number("value", code.value)
      .String("hex", HexText(code.value));
  AppendDefineList(members.Key("names"), code.names, &NamedDefine::name);
  AppendDefineList(members.Key("headers"), code.names, &NamedDefine::header);
  AddDescription(members, code.description, code.source);
  members.String("macro", macro);
  out += '}';
}

void AppendRelated(std::string& out, const RelatedAnswer& relative) {
  out += '{';
  JsonMembers members(out);
  members.String("relation", RelationName(relative.relation))
      .String("type", ErrorTypeName(relative.code.type))
      .Number("value", relative.code.value)
      .String("hex", HexText(relative.code.value));
  AppendDefineList(members.Key("names"), relative.code.names, &NamedDefine::name);
  AddDescription(members, relative.code.description, relative.code.source);
  out += '}';
}

// Every member of a match: the whole answer to a query.
void AddMatchMembers(JsonMembers& members, const KindAnswer& match) {
  members.String("type", ErrorTypeName(match.type))
      .Number("value", match.value)
      .String("hex", HexText(match.value))
      .String("code", match.code)
      .String("status", match.status)
      .String("facility", match.facility);
  AppendDefineList(members.Key("names"), match.names, &NamedDefine::name);
  AppendDefineList(members.Key("headers"), match.names, &NamedDefine::header);
  AddDescription(members, match.description, match.source);
  if (match.wraps) {
    AppendWrapped(members.Key("wraps"), *match.wraps, match.wrapper);
  }
  if (!match.related.empty()) {
    std::string& related = members.Key("related");
    related += '[';
    for (std::size_t i = 0; i < match.related.size(); ++i) {
      related += i == 0 ? "" : ",";
      AppendRelated(related, match.related[i]);
    }
    related += ']';
  }
  AddDocumentationMembers(members, match);
}

// "type", "value", "hex" and "names" of another code than the match: a scan's short form.
void AddCodeKeys(JsonMembers& members, const CodeAnswer& code) {
  members.String("type", ErrorTypeName(code.type))
      .Number("value", code.value)
      .String("hex", HexText(code.value));
  AppendDefineList(members.Key("names"), code.names, &NamedDefine::name);
}

// The description the scan's short line shows for a match (its own, else the wrapped code's,
// else a relative's) with its source, and "via": the code it came from, where it is another's.
void AddShownDescription(JsonMembers& members, const KindAnswer& match) {
  const DescriptionOf shown = FirstDescription(match);
  if (shown.text == nullptr) {
    members.Null("description");
    return;
  }
  members.String("description", *shown.text).String("source", DescriptionSourceName(shown.source));
  if (shown.owner.empty()) {
    return;
  }
  // FirstDescription hands out the owner's own text: the pointer tells which code it is.
  const auto addVia = [&members](std::string_view relation, const CodeAnswer& code) {
    std::string& via = members.Key("via");
    via += '{';
    JsonMembers keys(via);
    AddCodeKeys(keys.String("relation", relation), code);
    via += '}';
  };
  if (match.wraps && match.wraps->description && shown.text == &*match.wraps->description) {
    addVia("wraps", *match.wraps);
    return;
  }
  for (const RelatedAnswer& relative : match.related) {
    if (relative.code.description && shown.text == &*relative.code.description) {
      addVia(RelationName(relative.relation), relative.code);
      return;
    }
  }
}

// The name or the value (with its signed reading where signedValue: a scan's line shows none),
// each match as addMatch makes it, and setup's extend code, after whatever members are there.
void AddCode(JsonMembers& members, const ReadingAnswer& answer, bool signedValue,
             void (*addMatch)(JsonMembers&, const KindAnswer&)) {
  if (answer.reading.kind == ReadingKind::Name) {
    members.String("name", answer.reading.name);
  } else {
    members.Number("value", answer.reading.value).String("hex", HexText(answer.reading.value));
    if (signedValue) {
      members.Number("signed", static_cast<std::int32_t>(answer.reading.value));
    }
  }
  std::string& matches = members.Key("matches");
  matches += '[';
  for (std::size_t i = 0; i < answer.matches.size(); ++i) {
    matches += i == 0 ? "{" : ",{";
    JsonMembers match(matches);
    addMatch(match, answer.matches[i]);
    matches += '}';
  }
  matches += ']';
  if (answer.documentation.extend) {
    AddExtendMember(members, *answer.documentation.extend);
  }
}

}  // namespace

void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer) {
  out += '{';
  JsonMembers members(out);
  members.String("query", query).String("reading", ReadingName(answer.reading.kind));
  AddCode(members, answer, true, AddMatchMembers);
  out += "}\n";
}

void AddScanMatchMembers(JsonMembers& members, const KindAnswer& match) {
  members.String("type", ErrorTypeName(match.type))
      .Number("value", match.value)
      .String("hex", HexText(match.value));
  // Without the names' headers: on a log of codes they alone made a sixth of the bytes.
  AppendDefineList(members.Key("names"), match.names, &NamedDefine::name);
  AddShownDescription(members, match);
  // The text names the wrapped code only for a match that has no name of its own.
  if (match.wraps && match.names.empty()) {
    std::string& wraps = members.Key("wraps");
    wraps += '{';
    JsonMembers keys(wraps);
    AddCodeKeys(keys, *match.wraps);
    keys.String("macro", match.wrapper);
    wraps += '}';
  }
  AddPastedMembers(members, match);
}

std::string JsonScanMembers(const ReadingAnswer& answer) {
  std::string text;
  JsonMembers members(text);
  AddCode(members, answer, false, AddScanMatchMembers);
  return text;
}

void WriteJsonRejection(std::string& out, std::string_view query, std::string_view message) {
  out += '{';
  JsonMembers(out).String("query", query).String("error", message);
  out += "}\n";
}

namespace {

// The keys of a define, or null for both when a code has no name.
void AddDefine(JsonMembers& members, ErrorType type, std::uint32_t value,
               const NamedDefine* define) {
  members.String("type", ErrorTypeName(type)).Number("value", value).String("hex", HexText(value));
  if (define != nullptr) {
    members.String("name", define->name).String("header", define->header);
  } else {
    members.Null("name").Null("header");
  }
}

}  // namespace

void WriteJsonSearch(std::string& out, const std::vector<DefineRow>& rows) {
  for (const DefineRow& row : rows) {
    out += '{';
    JsonMembers members(out);
    AddDefine(members, row.type, row.value, &row.define);
    out += "}\n";
  }
}

void WriteJsonDescriptions(std::string& out, const std::vector<KindAnswer>& found) {
  const auto write = [&out](const KindAnswer& answer, const NamedDefine* define) {
    out += '{';
    JsonMembers members(out);
    AddDefine(members, answer.type, answer.value, define);
    members.String("description", answer.description.value_or(""));
    out += "}\n";
  };
  for (const KindAnswer& answer : found) {
    if (answer.names.empty()) {
      write(answer, nullptr);
    }
    for (const NamedDefine& define : answer.names) {
      write(answer, &define);
    }
  }
}

}  // namespace quillon
