// How the text and JSON output show what the documentation adds to an answer.
#pragma once

#include <string>

#include "core/answers.h"
#include "core/json_text.h"

namespace quillon {

// The text lines after a match's description: a bug check's parameters (with the arguments
// pasted, each beside its meaning) and causes, then what to do and the page that says so.
void AppendDocumentationText(std::string& out, const KindAnswer& match);
// The text lines of setup's extend code, after the matches of the result code.
void AppendExtendText(std::string& out, const ExtendAnswer& extend);

// The match's "remedies", "parameters", "arguments", "cases" and "case" members, each only
// when the documentation has it.
void AddDocumentationMembers(JsonMembers& members, const KindAnswer& match);
// Of those, a pasted bug check's "arguments" and the "case" they select, as a scan's short
// line shows them.
void AddPastedMembers(JsonMembers& members, const KindAnswer& match);
// Of those, the "remedies".
void AddRemediesMember(JsonMembers& members, const KindAnswer& match);
// The "extend" object.
void AddExtendMember(JsonMembers& members, const ExtendAnswer& extend);

// What a scan's short line adds for a pasted bug check (the case its arguments select) or
// setup's extend code (its phase and operation); "" for anything else.
std::string PastedShortText(const ReadingAnswer& answer);

// The summary's lines of a code's remedies, each after indent.
std::string RemedyLines(const KindAnswer& match, std::string_view indent);

// "Access is denied. [documentation]": a text is marked unless it is the system's own.
std::string MarkedDescription(const std::string& text, DescriptionSource source);

}  // namespace quillon
