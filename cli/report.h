// The command line's output: aligned plain text for people, JSON Lines for programs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/answers.h"
#include "lookup/define_rows.h"

namespace quillon {

// A code found by a scan, with the answer for it.
struct ScanFinding {
  std::string_view file;  // empty when only one input is scanned
  std::uint64_t line = 0;
  std::uint64_t column = 0;
  std::string_view text;
  const ReadingAnswer* answer = nullptr;
};

// Each function appends whole lines to out. Text output has its control characters escaped,
// and kinds and names coloured when color is on.
void WriteTextAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer,
                     bool color = false);
void WriteTextSearch(std::string& out, const std::vector<DefineRow>& rows, bool color = false);
void WriteJsonAnswer(std::string& out, std::string_view query, const ReadingAnswer& answer);
void WriteJsonRejection(std::string& out, std::string_view query, std::string_view message);
void WriteJsonSearch(std::string& out, const std::vector<DefineRow>& rows);
void WriteJsonFinding(std::string& out, const ScanFinding& finding);

// One line for the answer: each kind with its names, then the first description.
std::string MatchesLine(const ReadingAnswer& answer, bool color = false);

// "0x" and eight upper-case hexadecimal digits.
std::string HexText(std::uint32_t value);

}  // namespace quillon
