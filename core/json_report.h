// JSON Lines for programs: one object per answer, rejection, define or description, every
// string escaped by AppendJsonString.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/answers.h"
#include "lookup/define_rows.h"

namespace quillon {

// Each Write function appends whole lines to out.
void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer);
void WriteJsonRejection(std::string& out, std::string_view query, std::string_view message);
void WriteJsonSearch(std::string& out, const std::vector<DefineRow>& rows);
// One object per name of each code (one with a null name for a code without), the keys of
// WriteJsonSearch and the description.
void WriteJsonDescriptions(std::string& out, const std::vector<KindAnswer>& found);

// The answer's members after "reading" (the name or the value, to "matches") without the braces
// around them, to be made once and written into many objects, whatever the reading.
std::string JsonCodeMembers(const ReadingAnswer& answer);
// One match as the object of a "matches" list.
std::string JsonMatch(const KindAnswer& match);

}  // namespace quillon
