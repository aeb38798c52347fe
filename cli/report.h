// The command line's output: aligned plain text for people, JSON Lines for programs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/answers.h"
#include "lookup/define_rows.h"

namespace quillon {

// Each function appends whole lines to out.
void WriteTextAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer);
void WriteTextSearch(std::string& out, const std::vector<DefineRow>& rows);
void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer);
void WriteJsonRejection(std::string& out, std::string_view query, std::string_view message);
void WriteJsonSearch(std::string& out, const std::vector<DefineRow>& rows);

// "0x" and eight upper-case hexadecimal digits.
std::string HexText(std::uint32_t value);

}  // namespace quillon
