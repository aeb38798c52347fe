// Aligned plain text for people: answers, searches and a scan's short lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/answers.h"
#include "lookup/define_rows.h"

namespace quillon {

// Each function appends whole lines to out. Text output has its control characters escaped,
// and kinds and names coloured when color is on.
void WriteTextAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer,
                     bool color = false);
void WriteTextSearch(std::string& out, const std::vector<DefineRow>& rows, bool color = false);
// One line per code: kind, value, names, description.
void WriteTextDescriptions(std::string& out, const std::vector<KindAnswer>& found,
                           bool color = false);

// A scan's short line for the answer: per kind its first name and how many others it has
// (HRESULT E_ACCESSDENIED +9), then the first description on one line.
std::string ShortAnswerLine(const ReadingAnswer& answer, bool color = false);
// The same for one match alone, with its own description.
std::string ShortMatchLine(const KindAnswer& match, bool color = false);

// The line for standard error that says the database failed while it was read, in SQLite's
// words; databaseName is shown as it is (escaped by the caller).
std::string DatabaseFailureLine(std::string_view databaseName, const DefineRows& defines);

// "0x" and eight upper-case hexadecimal digits.
std::string HexText(std::uint32_t value);

}  // namespace quillon
