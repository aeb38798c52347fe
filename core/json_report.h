// JSON Lines for programs: one object per answer, rejection, define or description, every
// string escaped by AppendJsonString.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/answers.h"
#include "core/json_text.h"
#include "lookup/define_rows.h"

namespace quillon {

// Each Write function appends whole lines to out.
void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer);
void WriteJsonRejection(std::string& out, std::string_view query, std::string_view message);
void WriteJsonSearch(std::string& out, const std::vector<DefineRow>& rows);
// One object per name of each code (one with a null name for a code without), the keys of
// WriteJsonSearch and the description.
void WriteJsonDescriptions(std::string& out, const std::vector<KindAnswer>& found);

// A scan finding's members after "reading": what its text line shows, the name or the value
// and each match's names, the description shown with its source and the code that gave it
// ("via") where that is another, a pasted bug check's case; without the braces around them, to
// be made once and written into many objects, whatever the reading. The whole answer is a
// query away.
std::string JsonScanMembers(const ReadingAnswer& answer);
// One match's members as a scan's "matches" hold it.
void AddScanMatchMembers(JsonMembers& members, const KindAnswer& match);

}  // namespace quillon
